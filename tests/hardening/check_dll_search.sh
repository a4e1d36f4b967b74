#!/usr/bin/env bash
# Runs check_dll_search.py with Wine's prefix and, when there is no display,
# a virtual one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
start_virtual_display
trap stop_virtual_display EXIT
prepare_wine_prefix
# Debian's own interpreter: it has python3-pefile.
/usr/bin/python3 "$here/check_dll_search.py" "$@"
