#!/usr/bin/env bash
# Measures Tolvane.exe under Wine on a virtual display: its start-up against
# the floor program, the accuracy of its countdown and the size and imports of
# the executable. Prints a table and writes it to docs/benchmarks.md. Takes
# about four minutes; nothing here passes or fails a build.
#
# Options go to bench/report.py (--runs, --repeats, --seconds, and --against
# OTHER.exe for start-up side by side with another build only). The build
# folder is build/windows unless TOLVANE_BENCH_BUILD names another.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${TOLVANE_BENCH_BUILD:-build/windows}
echo "== Building Tolvane.exe, the floor program and the stopwatch in $build"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target Tolvane tolvane_floor tolvane_floor_themed tolvane_stopwatch

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_virtual_display
trap stop_virtual_display EXIT
prepare_wine_prefix

# Debian's own interpreter: it has python3-pefile.
/usr/bin/python3 bench/report.py --build "$build" "$@"
