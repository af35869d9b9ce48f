#!/bin/sh
# Installs everything the build, the tests and `make run` need on Debian 12.
# Idempotent: does nothing when every package is already present.
set -e

PACKAGES="cmake make ninja-build g++ ccache pkg-config \
  qt6-base-dev libqt6opengl6-dev libgl-dev \
  libudev-dev libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-14-dev \
  gpsbabel libxml2-utils xvfb xauth x11-apps x11-utils xdotool imagemagick fonts-wqy-microhei \
  dpkg-dev file lintian desktop-file-utils appstream groff-base librsvg2-bin \
  libqt6sql6-sqlite libqt6sql6-psql postgresql chromium"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
