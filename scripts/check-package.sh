#!/bin/sh
# Builds the Debian package in an existing build folder (default: build) and checks it:
# the desktop entries, the AppStream metainfo, lintian (no errors, no warnings), the
# manual pages and the completion script; then runs the programs from the package,
# unpacked into a scratch folder (nothing is installed): vr60ctl --version, a log
# downloaded from the package's vr60sim and vr60ctl analyze on it.
set -e
cd "$(dirname "$0")/.."
BUILD=${1:-build}

cmake --build "$BUILD" --target package
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
deb=vr60-utility_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "check-package: $deb was not made" >&2; exit 1; }

scratch=$(mktemp -d /tmp/vr60-package.XXXXXX)
sim=
trap '[ -n "$sim" ] && kill $sim 2>/dev/null; rm -rf "$scratch"' EXIT INT TERM
root=$scratch/root
dpkg-deb -x "$deb" "$root"

echo "== desktop entries, metainfo, file type, changelog"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
# The type compiles into a MIME database, and *.sbp maps to the type the viewer opens.
cp -r "$root/usr/share/mime" "$scratch/mime"
update-mime-database "$scratch/mime" >"$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log" >&2; exit 1; }
grep -q "application/x-vr60-sbp:\*\.sbp" "$scratch/mime/globs" || { echo "check-package: *.sbp has no type" >&2; exit 1; }
grep -q "^MimeType=application/x-vr60-sbp;" "$root/usr/share/applications/vr60view.desktop"
zcat "$root/usr/share/doc/vr60-utility/changelog.gz" | head -n 1 | grep -q "($version)" ||
  { echo "check-package: packaging/debian/changelog has no entry for $version" >&2; exit 1; }

# What the programs run but shlibdeps cannot see is declared.
for needed in libqt6sql6-sqlite xdg-utils; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$needed\b" ||
    { echo "check-package: $deb does not depend on $needed" >&2; exit 1; }
done

echo "== lintian"
status=0
lintian --fail-on error,warning "$deb" >"$scratch/lintian.txt" 2>&1 || status=$?
grep -v '^running with root privileges' "$scratch/lintian.txt" || true
[ $status -eq 0 ] || { echo "check-package: lintian found errors or warnings" >&2; exit 1; }

echo "== manual pages, completion"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "check-package: $page: $warnings" >&2; exit 1; }
done
completion=$root/usr/share/bash-completion/completions/vr60ctl
bash -n "$completion"
got=$(bash -c '. "$1"; COMP_LINE="vr60ctl tracks er"; COMP_POINT=${#COMP_LINE}; _vr60ctl; echo "${COMPREPLY[*]}"' sh "$completion")
[ "$got" = erase ] || { echo "check-package: completion of 'vr60ctl tracks er' gave '$got'" >&2; exit 1; }

echo "== programs from the package"
export XDG_CONFIG_HOME="$scratch/config" VR60_PORT_DIR="$scratch/ports"
"$root/usr/bin/vr60ctl" --version
"$root/usr/bin/vr60sim" --no-alias --points 300 >"$scratch/sim.out" 2>&1 &
sim=$!
for _ in $(seq 50); do
  [ -s "$scratch/sim.out" ] && break
  sleep 0.2
done
pty=$(head -n 1 "$scratch/sim.out")
(cd "$scratch" && "$root/usr/bin/vr60ctl" --port "$pty" download --out session.sbp --no-clear >/dev/null)
"$root/usr/bin/vr60ctl" analyze "$scratch/session.sbp"
echo "check-package: $deb is fine"
