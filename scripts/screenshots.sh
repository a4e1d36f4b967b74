#!/usr/bin/env bash
# Makes the pictures in docs/img/: Tolvane's dialog for a few command lines and
# its usage message, at 96 and 144 DPI, each cropped to the window with its
# title bar. They are taken under Wine on a virtual display (Xvfb) of their
# own, where Openbox draws the title bars; each DPI has a Wine prefix of its
# own under build/screenshots/. Rerun it whenever the dialog changes: it
# overwrites the pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8

bash scripts/install-deps.sh

# What only the pictures need: a window manager, ImageMagick's import, and
# fonts for Latin, Greek and Cyrillic (DejaVu) and for CJK (Droid Sans Fallback).
extra=(openbox imagemagick fonts-dejavu-core fonts-droid-fallback)
missing=()
for package in "${extra[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== Installing: ${missing[*]}"
    SUDO=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

echo "== Building Tolvane.exe (MinGW-w64 cross build)"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Tolvane >/dev/null

root=$PWD
exe=$root/build/windows/Tolvane.exe
work=$root/build/screenshots
out=$root/docs/img
mkdir -p "$work" "$out"
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset WINEPATH

xvfb_pid=
openbox_pid=
stop_display() {
    if [ -n "$openbox_pid" ]; then kill "$openbox_pid" 2>/dev/null || true; wait "$openbox_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    openbox_pid=
    xvfb_pid=
}
finish() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    stop_display
}
trap finish EXIT

# A new virtual display at the given DPI, with Openbox running on it.
start_display() {
    local dpi=$1 number_file=$work/display
    : >"$number_file"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi "$dpi" -nolisten tcp 3>"$number_file" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        sleep 0.1
    done
    [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(head -n1 "$number_file")
    export DISPLAY
    openbox --config-file "$root/scripts/screenshots/openbox-rc.xml" >/dev/null 2>&1 &
    openbox_pid=$!
    for _ in $(seq 100); do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
            # The pointer goes to a corner, where it highlights nothing.
            xdotool mousemove 1279 1023
            return 0
        fi
        sleep 0.1
    done
    echo "Openbox did not start" >&2
    exit 1
}

# A Wine prefix that renders at the given DPI (Wine reads LogPixels under
# HKCU\Control Panel\Desktop) and that finds CJK glyphs: the dialog font falls
# back to DejaVu Sans, which gets Droid Sans Fallback linked to it. A second
# argument names the prefix.
prepare_prefix() {
    local dpi=$1
    export WINEPREFIX=$work/wineprefix-${2:-$dpi}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== Creating the Wine prefix $WINEPREFIX (first run only)"
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1
        wineserver --wait
    fi
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v 'DejaVu Sans' /t REG_MULTI_SZ /d 'DroidSansFallbackFull.ttf,Droid Sans Fallback' /f >/dev/null 2>&1
    wineserver --wait
}

# shoot NAME SWITCHES...: runs Tolvane.exe, waits for its window, saves the
# window with its frame as docs/img/NAME.png and ends the program.
shoot() {
    local name=$1 window=
    shift
    wine "$exe" "$@" >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --classname '^tolvane\.exe$' 2>/dev/null | head -n1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "Tolvane.exe showed no window for $name" >&2
        exit 1
    fi
    # Time to paint, well within the first second of a countdown.
    sleep 0.5
    import -frame -window "$window" png:- | convert png:- -strip "$out/$name.png"
    wineserver -k 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "   $out/$name.png ($(identify -format '%wx%h' "$out/$name.png"))"
}

for dpi in 96 144; do
    echo "== Pictures at $dpi DPI"
    start_display "$dpi"
    prepare_prefix "$dpi"
    shoot "backup-$dpi" /Title Backup /Text "Scegli il tipo" /Option Completo /Option Incrementale \
        /Default 2 /Timeout 10
    shoot "dieci-opzioni-$dpi" /Title Stampa /Text "Quale rapporto vuoi stampare?" \
        /Option "Vendite del giorno" /Option "Vendite del mese" /Option "Vendite dell'anno" \
        /Option Magazzino /Option "Ordini aperti" /Option "Ordini evasi" /Option Clienti \
        /Option Fornitori /Option Scadenze /Option "Riepilogo IVA" /Default 3
    shoot "testo-lungo-$dpi" /Title Aggiornamento \
        /Text "È disponibile una nuova versione del programma di contabilità: vuoi installarla adesso oppure alla chiusura della giornata?" \
        /Option "Installa adesso" /Option "Installa alla chiusura" /Option "Non installare"
    shoot "unicode-$dpi" /Title "日本語 / Ελληνικά" /Text "Lingua · 言語 · Γλώσσα · Язык" \
        /Option 日本語 /Option Ελληνικά /Option Русский /Option Italiano /Default 4
    shoot "uso-$dpi"
    wineserver -k 2>/dev/null || true
    stop_display
done
# The system colours of Windows' "High Contrast Black" scheme, and the high
# contrast switched on: every control of the dialog must draw in them.
set_high_contrast() {
    cat >"$work/high-contrast.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Control Panel\Colors]
"Background"="0 0 0"
"ButtonFace"="0 0 0"
"ButtonText"="255 255 255"
"ButtonHilight"="255 255 255"
"ButtonLight"="192 192 192"
"ButtonShadow"="128 128 128"
"ButtonDkShadow"="128 128 128"
"GrayText"="0 255 0"
"Hilight"="128 0 128"
"HilightText"="255 255 255"
"Window"="0 0 0"
"WindowText"="255 255 255"
"WindowFrame"="255 255 255"

[HKEY_CURRENT_USER\Control Panel\Accessibility\HighContrast]
"Flags"="127"
"High Contrast Scheme"="High Contrast Black"
REG
    wine regedit /S "$(winepath -w "$work/high-contrast.reg")" >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver --wait
}

echo "== Pictures in high contrast at 96 DPI"
start_display 96
prepare_prefix 96 high-contrast
set_high_contrast
shoot "alto-contrasto-96" /Title Backup /Text "Scegli il tipo" /Option Completo \
    /Option Incrementale /Option "Solo &documenti" /Default 2 /Timeout 10
wineserver -k 2>/dev/null || true
stop_display
echo "== Done: the pictures are in docs/img/"
