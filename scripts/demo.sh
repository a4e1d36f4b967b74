#!/usr/bin/env bash
# Builds Tolvane.exe and runs it under Wine on the typical command line of a
# backup script, then prints the exit code that a batch file would see as
# ERRORLEVEL. Without a display it runs on a virtual one, where nobody can
# answer: the countdown runs out and takes the default, option 2.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== Building Tolvane.exe (MinGW-w64 cross build)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Tolvane

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
start_virtual_display
trap stop_virtual_display EXIT
prepare_wine_prefix

echo "== Running: Tolvane.exe /Title Backup /Text \"Scegli il tipo\" /Option Completo /Option Incrementale /Default 2 /Timeout 10"
echo "   (choose and press OK, or wait 11 seconds for the countdown to take option 2)"
set +e
wine build/windows/Tolvane.exe /Title Backup /Text "Scegli il tipo" /Option Completo \
    /Option Incrementale /Default 2 /Timeout 10
code=$?
set -e
wineserver --wait 2>/dev/null || true
echo "== Tolvane.exe ended with exit code $code (ERRORLEVEL $code)"
