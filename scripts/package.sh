#!/usr/bin/env bash
# Builds the release archive dist/Tolvane-1.00-win64.zip: Tolvane.exe from a
# clean MinGW-w64 build, README.md, docs/guida.md with the pictures in
# docs/img/ that they show, LICENSE and SHA256SUMS (the SHA-256 of the other
# files). The same source gives the same bytes: the exe
# carries no time stamp and no build path, and the archive has fixed dates,
# order and permissions (scripts/release.py writes it).
#
#   bash scripts/package.sh [--build-dir DIR] [--output FILE] [--release-url URL] [--no-install]
#
# DIR (default build/package) is emptied first; FILE defaults to
# dist/Tolvane-1.00-win64.zip. --no-install leaves out the check for missing
# Debian packages (the tests use it).
#
# Signing: when TOLVANE_SIGN_PFX names a PKCS#12 file (key and certificate)
# and TOLVANE_SIGN_PASSWORD holds its password, Tolvane.exe is signed with
# Authenticode (osslsigncode, SHA-256) before it goes into the archive, and
# SHA256SUMS lists the signed bytes. A key on a token or in an HSM is used
# through PKCS#11 instead: TOLVANE_SIGN_PKCS11_MODULE names the module,
# TOLVANE_SIGN_KEY the key (a pkcs11: URI), TOLVANE_SIGN_CERT the certificate
# file, and TOLVANE_SIGN_PASSWORD holds the PIN, if one is needed.
# TOLVANE_SIGN_TIMESTAMP_URL, if set, names an RFC 3161 time-stamp server.
# The password reaches osslsigncode through a pipe, never on a command line.
# Unsigned is the default, and reproducible.
#
# --release-url URL, the https address the archive will be downloaded from,
# also writes beside the archive the winget manifest set (winget/) and the
# Scoop manifest (tolvane.json) for it.
#
# Nothing is left half-made: the files are written in a private folder beside
# FILE and moved into place only once all of them are complete.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

version=1.00
build_dir=build/package
output=dist/Tolvane-$version-win64.zip
release_url=
install=yes
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build_dir=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        --release-url) release_url=$2; shift 2 ;;
        --no-install) install=no; shift ;;
        *) echo "usage: bash scripts/package.sh [--build-dir DIR] [--output FILE] [--release-url URL] [--no-install]" >&2; exit 2 ;;
    esac
done

fail() {
    echo "package.sh: $*; nothing was written." >&2
    exit 1
}

# The signing settings are checked before the build. The password stays in
# this shell, out of the environment of the programs started below.
key=()
if [ -n "${TOLVANE_SIGN_PFX:-}" ]; then
    [ -f "$TOLVANE_SIGN_PFX" ] ||
        fail "TOLVANE_SIGN_PFX names $TOLVANE_SIGN_PFX, which is not a file"
    [ -n "${TOLVANE_SIGN_PASSWORD+set}" ] ||
        fail "TOLVANE_SIGN_PFX is set but TOLVANE_SIGN_PASSWORD is not"
    key=(-pkcs12 "$TOLVANE_SIGN_PFX")
    signer=$TOLVANE_SIGN_PFX
elif [ -n "${TOLVANE_SIGN_PKCS11_MODULE:-}" ]; then
    [ -n "${TOLVANE_SIGN_KEY:-}" ] && [ -f "${TOLVANE_SIGN_CERT:-}" ] ||
        fail "TOLVANE_SIGN_PKCS11_MODULE needs TOLVANE_SIGN_KEY (a pkcs11: URI)" \
            "and TOLVANE_SIGN_CERT (a file)"
    key=(-pkcs11module "$TOLVANE_SIGN_PKCS11_MODULE" -certs "$TOLVANE_SIGN_CERT"
         -key "$TOLVANE_SIGN_KEY")
    signer=$TOLVANE_SIGN_KEY
fi
has_password=${TOLVANE_SIGN_PASSWORD+yes}
password=${TOLVANE_SIGN_PASSWORD-}
unset TOLVANE_SIGN_PASSWORD
case "$release_url" in
    ""|https://*) ;;
    *) fail "the release URL must start with https://, not $release_url" ;;
esac

if [ "$install" = yes ]; then
    bash scripts/install-deps.sh
fi
if [ ${#key[@]} -gt 0 ] && ! command -v osslsigncode >/dev/null; then
    fail "signing needs osslsigncode (bash scripts/install-deps.sh installs it)"
fi

echo "== Building Tolvane.exe from scratch in $build_dir"
rm -rf "$build_dir"
cmake -S . -B "$build_dir" -G Ninja \
    --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build_dir" --target Tolvane >/dev/null

folder=$(dirname "$output")
mkdir -p "$folder"
staging=$(mktemp -d "$folder/.package.XXXXXX")
trap 'rm -rf "$staging"' EXIT

exe=$build_dir/Tolvane.exe
if [ ${#key[@]} -gt 0 ]; then
    echo "== Signing Tolvane.exe with $signer"
    if [ -n "${TOLVANE_SIGN_TIMESTAMP_URL:-}" ]; then
        key+=(-ts "$TOLVANE_SIGN_TIMESTAMP_URL")
    fi
    sign() {
        osslsigncode sign "${key[@]}" "$@" -h sha256 -n Tolvane \
            -in "$exe" -out "$staging/Tolvane.exe" >/dev/null ||
            fail "signing with $signer failed (see above): a wrong TOLVANE_SIGN_PASSWORD," \
                "a key or certificate that cannot be read, or a time-stamp server that" \
                "does not answer"
    }
    # printf is a shell builtin: the password goes into the pipe that
    # osslsigncode reads as /dev/fd/N, and appears in no process's arguments.
    if [ -n "$has_password" ]; then
        sign -readpass <(printf '%s' "$password")
    else
        sign
    fi
    exe=$staging/Tolvane.exe
fi

echo "== Writing $output"
python3 scripts/release.py archive "$exe" "$staging/archive.zip"
if [ -n "$release_url" ]; then
    python3 scripts/release.py manifests "$staging/archive.zip" "$version" "$release_url" "$staging"
fi

# Into place. Manifests of an earlier archive would not match this one.
rm -f "$folder/tolvane.json" "$folder/winget/Tolvane.Tolvane".*yaml
if [ -n "$release_url" ]; then
    mkdir -p "$folder/winget"
    mv -f "$staging"/winget/* "$folder/winget/"
    mv -f "$staging/tolvane.json" "$folder/"
    echo "== Manifests for $release_url in $folder/winget/ and $folder/tolvane.json"
fi
mv -f "$staging/archive.zip" "$output"
sha256sum "$output"
