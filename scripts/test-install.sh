#!/usr/bin/env bash
# Installs the library from build/ (or $BUILD_DIR) into a scratch prefix and
# uses it as another program would: builds examples/consumer against the
# prefix with find_package and with pkg-config, runs both; then builds the
# Debian package, checks what it holds and runs its tool from an extracted
# copy. Fails on the first thing that does not work.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${BUILD_DIR:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
old=examples/news-v1.html
new=examples/news-v2.html

expect_exit() {  # status command... (output dropped)
  local want=$1 got=0
  shift
  "$@" >/dev/null 2>&1 || got=$?
  [ "$got" -eq "$want" ] || { echo "install check: '$*' exited $got, expected $want" >&2; exit 1; }
}

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/lumivant/lumivant.h include/lumivant/version.h lib/liblumivant.so \
         lib/cmake/lumivant/lumivantConfig.cmake lib/cmake/lumivant/lumivantConfigVersion.cmake \
         lib/pkgconfig/lumivant.pc bin/lumivant share/man/man1/lumivant.1; do
  [ -e "$prefix/$f" ] || { echo "install check: $f not installed" >&2; exit 1; }
done
# (Output kept in files: grep -q ending a pipe early would fail it.)
readelf -d "$prefix/lib/liblumivant.so" >"$scratch/dynamic"
grep -q 'SONAME.*liblumivant\.so\.[0-9]' "$scratch/dynamic"

# The Python package, with nothing but the prefix on the path.
if [ -d "$build/python" ]; then
  PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c \
    "import lumivant, sys; sys.exit(lumivant.diff(b'<p>a</p>', b'<p>b</p>').changes != 1)"
fi

# With find_package.
cmake -S examples/consumer -B "$scratch/cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$scratch/cmake" >/dev/null
expect_exit 1 "$scratch/cmake/watch_page" "$old" "$new" 'ferry or lobster' "$scratch/a.html"
expect_exit 2 "$scratch/cmake/watch_page" "$old" "$new" 'ferry ) ,'

# With pkg-config and nothing else on the include path.
PKG_CONFIG_PATH="$prefix/lib/pkgconfig" c++ -std=c++17 -Wall -Wextra -Werror \
  examples/consumer/watch_page.cc -o "$scratch/pc_watch_page" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs lumivant) \
  -Wl,-rpath,"$prefix/lib"
expect_exit 1 "$scratch/pc_watch_page" "$old" "$new" 'ferry or lobster' "$scratch/b.html"
cmp "$scratch/a.html" "$scratch/b.html"

# The exported classes from the installed headers alone, and a rejected
# query's exception caught across the library's boundary.
c++ -std=c++17 -Wall -Wextra -Werror tests/install/exported_classes_host.cc -o "$scratch/host" \
  -I"$prefix/include" -L"$prefix/lib" -llumivant -lantlr -Wl,-rpath,"$prefix/lib"
expect_exit 0 "$scratch/host"

# The Debian package.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lumivant_*_amd64.deb)
dpkg-deb --info "$deb" >"$scratch/info"
grep -q 'Depends:.*libicu' "$scratch/info"
dpkg-deb --contents "$deb" >"$scratch/contents"
for f in ./usr/bin/lumivant ./usr/include/lumivant/lumivant.h ./usr/lib/liblumivant.so \
         ./usr/lib/pkgconfig/lumivant.pc ./usr/lib/cmake/lumivant/lumivantConfig.cmake \
         ./usr/share/man/man1/lumivant.1; do
  grep -q " $f" "$scratch/contents" || { echo "install check: $f not in $deb" >&2; exit 1; }
done
dpkg-deb -x "$deb" "$scratch/deb"
expect_exit 1 "$scratch/deb/usr/bin/lumivant" diff --json "$old" "$new"
echo "install check: prefix, find_package, pkg-config and $(basename "$deb") all work"
