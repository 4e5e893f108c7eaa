#!/usr/bin/env bash
# Builds the Debian package from a configured and built build directory (build/release unless
# one is given), checks its contents, unpacks it into a temporary root with dpkg-deb -x, runs
# the unpacked `utility demo` and builds the consumer project against the unpacked tree.
# Everything it makes outside the build directory is removed on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build/release}
work=$(mktemp -d "${TMPDIR:-/tmp}/utility-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== packaging $build"
(cd "$build" && cpack -G DEB -B "$work/cpack" >/dev/null)
deb=$(ls "$work"/cpack/libutility_*.deb)
echo "package: $(basename "$deb")"

# The package holds the libraries, the headers, the program with the files beside it, the CMake
# and pkg-config descriptions and the bash completion.
listing=$(dpkg-deb -c "$deb")
for wanted in /usr/bin/utility /usr/bin/DiskID.dll /usr/bin/KeyWords.ini /usr/lib/libUtility.so \
              /usr/include/Utility/Utility.h /usr/lib/cmake/Utility/UtilityConfig.cmake \
              /usr/lib/pkgconfig/utility.pc /usr/share/bash-completion/completions/utility; do
  if ! grep -q " \.$wanted\(\$\| \)" <<<"$listing"; then
    echo "package-test: $wanted is missing from the package" >&2
    exit 1
  fi
done
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends):'

root=$work/root
dpkg-deb -x "$deb" "$root"

# The demo from the unpacked tree, with its own temporary directory, home and registry store:
# afterwards each must be empty again.
for d in tmp home config registry run; do mkdir -p "$work/$d"; done
echo "== utility demo from the unpacked package"
(cd "$work/run" && env TMPDIR="$work/tmp" HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
  UTILITY_REGISTRY_DIR="$work/registry" "$root/usr/bin/utility" demo >"$work/demo.out")
tail -n 4 "$work/demo.out"
for d in tmp home config registry run; do
  if [ -n "$(ls -A "$work/$d")" ]; then
    echo "package-test: utility demo left files in $d:" >&2
    ls -AR "$work/$d" >&2
    exit 1
  fi
done

# The completion from the package is the program's own.
diff <("$root/usr/bin/utility" completion bash) "$root/usr/share/bash-completion/completions/utility"

echo "== consumer build against the unpacked package"
cmake -S "$source_dir/tests/install/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" | grep -q "consumer: ok"
echo "package-test: ok"
