#!/bin/sh
# `make wincheck`: compiles (syntax only) every source that also builds on
# Windows with the MinGW-w64 cross compiler, so that the Windows branches of
# the platform layer and the portable code stay compilable here. Qt's headers
# are this machine's; its API is the same on Windows. Left out: the POSIX
# platform files, the pseudo-terminal simulator and the JPEG decoder (whose
# headers would be this machine's C library's).
set -e
BUILD=$(cd "${1:-build}" && pwd)
CXX=x86_64-w64-mingw32-g++-posix
PACKAGE=g++-mingw-w64-x86-64-posix
if ! command -v $CXX >/dev/null; then
  [ "$(id -u)" -eq 0 ] && SUDO= || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $PACKAGE
fi
QT=$(pkg-config --variable=includedir Qt6Core)
cd "$(dirname "$0")/.."
FILES=$(find src apps -name '*.cpp' ! -name 'Posix*' ! -name JpegImage.cpp ! -path 'src/sim/*' ! -path 'apps/vr60sim/*' | sort)
FAILED=$(mktemp)
trap 'rm -f "$FAILED"' EXIT
# Qt's headers, made for this machine, trip two warnings of no interest under MinGW.
echo "$FILES" | xargs -P2 -I{} sh -c "$CXX -std=c++20 -fsyntax-only -Wall -Wextra -Wno-unused-parameter -Wno-attributes \
  -Werror -Isrc -Iapps/vr60ctl -I$BUILD/vr60ui_autogen/include -I$BUILD/vr60analysisview_autogen/include \
  -I$QT -I$QT/QtCore -I$QT/QtGui -I$QT/QtWidgets -I$QT/QtSql -I$QT/QtNetwork {} || echo {} >>$FAILED"
if [ -s "$FAILED" ]; then
  echo "Not compilable for Windows:"; cat "$FAILED"; exit 1
fi
echo "$(echo "$FILES" | wc -l) files compile for Windows."
