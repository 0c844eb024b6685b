#!/usr/bin/env bash
# Builds the Debian package (Release, no tests) and lists what it holds.
#   scripts/package.sh        -> build-package/kestrin_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --tests

build=${KESTRIN_PACKAGE_BUILD_DIR:-build-package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKESTRIN_BUILD_TESTS=OFF -DKESTRIN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/kestrin_*.deb)
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
dpkg-deb -c "$package"
echo "Package: $package"
