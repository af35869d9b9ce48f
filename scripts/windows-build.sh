#!/bin/sh
# Cross-builds the Windows command-line program, build-win/vr60ctl.exe (static,
# MinGW-w64, no Qt), from the same sources as the Linux vr60ctl, and the file
# check build-win/platformcheck.exe. The pieces that need Qt are left out: the window's
# device-change watch, the records database and the test station (NoQtCommands.cpp
# stands in) and the converter runs (ExternalTool reports them as not started).
# Usage: windows-build.sh [BUILD_FOLDER]   (default build-win)
set -e
cd "$(dirname "$0")/.."
OUT=$(mkdir -p "${1:-build-win}" && cd "${1:-build-win}" && pwd)
CXX=x86_64-w64-mingw32-g++-posix
if ! command -v $CXX >/dev/null; then
  [ "$(id -u)" -eq 0 ] && SUDO= || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix
fi
command -v ccache >/dev/null && CXX="ccache $CXX"

FILES=$( (ls src/platform/*.cpp src/link/*.cpp src/program/*.cpp src/connection/*.cpp src/logdata/*.cpp \
            src/device/*.cpp src/prodtest/*.cpp src/basics/*.cpp src/sbp/*.cpp src/pointlog/*.cpp src/analysis/*.cpp src/storage/LosslessText.cpp \
            apps/vr60ctl/*.cpp tests/windows/*.cpp) |
  grep -v -e '/Posix' -e Win32DeviceChangeWatch -e CtlStores.cpp -e RecordsCommands.cpp \
                 -e StationCommand.cpp -e StationWorker.cpp)
mkdir -p "$OUT/obj"
FAILED=$(mktemp)
trap 'rm -f "$FAILED"' EXIT
# -O1: the program waits on a serial line, not on its own code, and the build stays quick.
echo "$FILES" | xargs -P2 -I{} sh -c "o=\"$OUT/obj/\$(echo {} | tr / _).o\"; \
  $CXX -std=c++20 -O1 -DVR60_NO_QT -DNOMINMAX -Wall -Wextra -Wno-unused-parameter -Werror \
  -Isrc -Iapps/vr60ctl -c {} -o \"\$o\" || echo {} >>$FAILED"
if [ -s "$FAILED" ]; then
  echo "Not compilable for Windows without Qt:"; cat "$FAILED"; exit 1
fi
LIBS="-static -ladvapi32 -lshell32"
objs() { for f in $FILES; do echo "$OUT/obj/$(echo "$f" | tr / _).o"; done; }
$CXX -o "$OUT/vr60ctl.exe" $(objs | grep -v tests_windows_) $LIBS
$CXX -o "$OUT/platformcheck.exe" "$OUT/obj/tests_windows_PlatformCheck.cpp.o" $(objs | grep src_platform_) $LIBS
echo "$OUT/vr60ctl.exe"
