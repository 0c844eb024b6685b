#!/usr/bin/env bash
# Builds the Debian package (Release, no tests) and lists what it holds.
#   scripts/package.sh        -> build-package/kestrin_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests

build=${KESTRIN_PACKAGE_BUILD_DIR:-build-package}
# Debian's hardening flags (stack protector, fortified functions, read-only relocations), as a
# Debian build of the package would use them.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DKESTRIN_BUILD_TESTS=OFF -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/kestrin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/kestrin_*.deb)
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
dpkg-deb -c "$package"
echo "Package: $package"

# Debian's checks of the package: any error fails the build; warnings and notes are listed.
lintian --display-info --fail-on error "$package"
echo "lintian: no errors"
