#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tolvane need.
# Idempotent: packages already present are left alone, and apt-get runs only
# when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ libgtest-dev        # native build and unit tests
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64  # the Windows cross build
    wine wine64 xvfb xauth xdotool x11-utils  # running Tolvane.exe on a virtual display
    python3 python3-pefile                    # test harness; reading the PE file
    clang libclang-rt-14-dev                  # clang Windows build, fuzzing, sanitizers
    osslsigncode openssl                      # signing the release; the tests' certificate
    python3-jsonschema python3-yaml           # checking the package-manager manifests
)
# npx runs the check of the GitHub workflow; a Node.js from elsewhere may
# bring its own npm, which Debian's npm package would clash with.
if ! command -v npx >/dev/null; then
    packages+=(nodejs npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "== All needed packages are installed."
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
echo "== Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "== Packages installed."
