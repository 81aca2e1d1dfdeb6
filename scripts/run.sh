#!/usr/bin/env bash
# Builds Parlane and starts it from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target parlane parlane-send parlane-listen parlane-capture \
    parlane-samba-message

# Listening needs ports below 1024 (UDP 138, TCP 139, UDP 137): let the binaries bind them
# without running as root.
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
for binary in build/bin/parlane build/bin/parlane-listen; do
    if ! "${sudo[@]}" setcap cap_net_bind_service=+ep "$binary"; then
        echo "Could not grant $binary the right to bind ports below 1024; it will run without listening." >&2
    fi
done
# Beside Samba's nmbd, which holds port 138, the capture helper reads that port's datagrams for
# Parlane; it alone holds the right, and only until its socket is open.
if ! "${sudo[@]}" setcap cap_net_raw=+ep build/bin/parlane-capture; then
    echo "Could not grant parlane-capture the right to read port 138 beside Samba's nmbd." >&2
fi
exec build/bin/parlane "$@"
