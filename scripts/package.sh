#!/usr/bin/env bash
# Builds the release archive dist/Tolvane-1.00-win64.zip: Tolvane.exe from a
# clean MinGW-w64 build, README.md, docs/guida.md with the pictures in
# docs/img/ that they show, LICENSE and SHA256SUMS (the SHA-256 of the other
# files). The same source gives the same bytes: the exe
# carries no time stamp and no build path, and the archive has fixed dates,
# order and permissions.
#
#   bash scripts/package.sh [--build-dir DIR] [--output FILE] [--no-install]
#
# DIR (default build/package) is emptied first; FILE defaults to
# dist/Tolvane-1.00-win64.zip. --no-install leaves out the check for missing
# Debian packages (the tests use it).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build_dir=build/package
output=dist/Tolvane-1.00-win64.zip
install=yes
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build_dir=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        --no-install) install=no; shift ;;
        *) echo "usage: bash scripts/package.sh [--build-dir DIR] [--output FILE] [--no-install]" >&2; exit 2 ;;
    esac
done

if [ "$install" = yes ]; then
    bash scripts/install-deps.sh
fi

echo "== Building Tolvane.exe from scratch in $build_dir"
rm -rf "$build_dir"
cmake -S . -B "$build_dir" -G Ninja \
    --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build_dir" --target Tolvane >/dev/null

echo "== Writing $output"
mkdir -p "$(dirname "$output")"
python3 - "$build_dir/Tolvane.exe" "$output" <<'EOF'
import hashlib
import sys
import zipfile
from pathlib import Path

exe, output = Path(sys.argv[1]), Path(sys.argv[2])
files = [("Tolvane.exe", exe), ("README.md", Path("README.md")),
         ("docs/guida.md", Path("docs/guida.md")), ("LICENSE", Path("LICENSE"))]
# The pictures that the README and the guide show.
files += [(f"docs/img/{path.name}", path) for path in sorted(Path("docs/img").glob("*.png"))]
contents = [(name, path.read_bytes()) for name, path in files]
sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in contents)
contents.append(("SHA256SUMS", sums.encode("ascii")))

temporary = output.with_name(output.name + ".part")
with zipfile.ZipFile(temporary, "w") as archive:
    for name, data in contents:
        entry = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
        entry.create_system = 3  # Unix, so that the permissions below count
        entry.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(entry, data, compresslevel=9)
temporary.replace(output)
EOF
sha256sum "$output"
