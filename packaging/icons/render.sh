#!/bin/sh
# Renders the hicolor PNG icons from the SVGs beside this script (run after editing an SVG;
# the PNGs are kept in the repository so that a build needs no SVG renderer).
set -e
cd "$(dirname "$0")"
for name in vr60util vr60view; do
  for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w $size -h $size -o ${name}-${size}.png $name.svg
  done
done
