#!/usr/bin/env bash
# The built package against Debian's and the desktop's own checkers, and the installed program's
# own idea of where its files are, unpacked into a temporary root. Usage: CheckPackage.sh
# BUILD_DIR. Exits 77 (skipped) when no package was built there.
set -euo pipefail

package=$(ls -t "$1"/parlane_*.deb 2>/dev/null | head -n 1 || true)
if [[ -z "$package" ]]; then
    echo "no package built: run cpack in $1 first"
    exit 77
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$package" "$root"

desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net --explain "$root"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$package"

# A user who has written nothing yet: settings in the configuration directory, data in share/.
help=$(env -u XDG_CONFIG_HOME HOME="$root/home" "$root/usr/bin/parlane" --help)
grep -qxF "Settings file: $root/home/.config/parlane/Settings.ini" <<<"$help" || {
    echo "$help"
    exit 1
}
grep -qxF "Skins and help pages: $root/usr/share/parlane/" <<<"$help"
test ! -e "$root/home"

# The helpers a listener runs beside Samba, where the installed program looks for them, and the
# right the capture helper is granted on installation.
test -x "$root/usr/libexec/parlane/parlane-capture"
test -x "$root/usr/libexec/parlane/parlane-samba-message"
control=$(mktemp -d)
dpkg-deb -e "$package" "$control"
grep -q "cap_net_raw=+ep /usr/libexec/parlane/parlane-capture" "$control/postinst"
rm -rf "$control"

# The installation's registry names the component library that the package holds.
registry="$root/usr/share/parlane/components.json"
library=$(sed -n 's/.*"InprocServer": *"\([^"]*\)".*/\1/p' "$registry")
test -f "$(dirname "$registry")/$library"
echo "package checks passed: $package"
