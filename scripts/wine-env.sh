# Sourced by the scripts: a throwaway Wine prefix inside the build folder, and
# a virtual X display when there is no real one.
# shellcheck shell=bash

TOLVANE_ROOT=${TOLVANE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$TOLVANE_ROOT/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Starts Xvfb on a free display number when DISPLAY is unset; the caller
# stops it with stop_virtual_display.
start_virtual_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    local number=90
    while [ -e "/tmp/.X${number}-lock" ]; do
        number=$((number + 1))
    done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    TOLVANE_XVFB_PID=$!
    export DISPLAY=":$number"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X${number}" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

stop_virtual_display() {
    if [ -n "${TOLVANE_XVFB_PID:-}" ]; then
        kill "$TOLVANE_XVFB_PID" 2>/dev/null || true
    fi
}

# Creates the prefix on first use (about half a minute).
prepare_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Creating the Wine prefix $WINEPREFIX (first run only)"
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1
        wineserver --wait
    fi
}
