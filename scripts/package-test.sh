#!/usr/bin/env bash
# Builds the Debian packages from a configured and built build directory (build/release unless
# one is given), checks their contents and runs lintian on them, unpacks them into a temporary
# root with dpkg-deb -x, runs the unpacked `utility demo` and builds the consumer project
# against the unpacked tree.
# Everything it makes outside the build directory is removed on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build/release}
work=$(mktemp -d "${TMPDIR:-/tmp}/utility-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== packaging $build"
(cd "$build" && cpack -G DEB -B "$work/cpack" >/dev/null)
arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
declare -A wanted=(
  [libutility1]="/usr/lib/$triplet/libUtility.so.1 /usr/lib/$triplet/libUtilityPlatform.so.1
                 /usr/lib/$triplet/utility/DiskID.dll /usr/share/utility/KeyWords.ini"
  [libutility-dev]="/usr/include/Utility/Utility.h /usr/lib/$triplet/libUtility.so
                    /usr/lib/$triplet/cmake/Utility/UtilityConfig.cmake /usr/lib/$triplet/pkgconfig/utility.pc"
  [utility]="/usr/bin/utility /usr/share/bash-completion/completions/utility /usr/share/zsh/vendor-completions/_utility
             /usr/share/fish/vendor_completions.d/utility.fish /usr/share/man/man1/utility.1.gz"
)
root=$work/root
for package in "${!wanted[@]}"; do
  deb=$work/cpack/${package}_*_$arch.deb
  deb=$(echo $deb)
  [[ -f $deb ]] || { echo "package-test: no package $package" >&2; ls "$work/cpack" >&2; exit 1; }
  listing=$(dpkg-deb -c "$deb")
  for path in ${wanted[$package]} /usr/share/doc/$package/copyright /usr/share/doc/$package/changelog.gz; do
    if ! grep -q " \.$path\(\$\| \)" <<<"$listing"; then
      echo "package-test: $path is missing from $package" >&2
      exit 1
    fi
  done
  # Programs only in /usr/bin.
  if grep -E " \./usr/bin/." <<<"$listing" | grep -vq " \./usr/bin/utility\$"; then
    echo "package-test: $package puts something other than the program in /usr/bin" >&2
    exit 1
  fi
  dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends|Section):'
  dpkg-deb -x "$deb" "$root"
done

# No binary keeps a RUNPATH, and every one is stripped.
while IFS= read -r -d '' file; do
  if file -b "$file" | grep -q '^ELF'; then
    if readelf -d "$file" | grep -qE 'RUNPATH|RPATH'; then echo "package-test: $file has a RUNPATH" >&2; exit 1; fi
    if file -b "$file" | grep -q 'not stripped'; then echo "package-test: $file is not stripped" >&2; exit 1; fi
  fi
done < <(find "$root" -type f -print0)

echo "== lintian"
# Every package passes lintian without an error or a warning; what is left is overridden in
# packaging/debian/<package>.lintian-overrides, each line with its reason.
lintian --fail-on error,warning --tag-display-limit 0 "$work"/cpack/*.deb

# The unpacked tree is not where the loader looks: the libraries are named to it.
export LD_LIBRARY_PATH=$root/usr/lib/$triplet

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

# The identity module and the keyword file are found in the package's directories, not beside
# the program: a keyword of the shipped file is graded 4 (exit status 1, an invalid name), and
# the module answers the processor identifier.
graded=$(cd "$work/run" && env HOME="$work/home" UTILITY_REGISTRY_DIR="$work/registry" \
  "$root/usr/bin/utility" names check If || true)
grep -q "^code: 4" <<<"$graded" || { echo "package-test: the shipped KeyWords.ini was not found: $graded" >&2; exit 1; }
cpu=$("$root/usr/bin/utility" identity cpu-id)
[[ -n $cpu ]] || { echo "package-test: the shipped DiskID.dll was not found" >&2; exit 1; }
# The completions from the package are the program's own.
diff <("$root/usr/bin/utility" completion bash) "$root/usr/share/bash-completion/completions/utility"
diff <("$root/usr/bin/utility" completion zsh) "$root/usr/share/zsh/vendor-completions/_utility"
diff <("$root/usr/bin/utility" completion fish) "$root/usr/share/fish/vendor_completions.d/utility.fish"

echo "== consumer build against the unpacked package"
cmake -S "$source_dir/tests/install/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/consumer" | grep -q "consumer: ok"
echo "package-test: ok"
