#!/usr/bin/env bash
# Builds the Debian package of Parlane and installs it: the menu entry, the programs in
# /usr/bin, settings per user under ~/.config/parlane.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --package
# A build directory of its own, without tests and benchmarks: the package takes everything built.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARLANE_TESTS=OFF \
    -DPARLANE_BENCH=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
rm -f build-package/parlane_*.deb
(cd build-package && cpack -G DEB)
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y \
    "$PWD"/build-package/parlane_*.deb
