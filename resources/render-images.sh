#!/bin/sh
# Renders the application icon and the two sheet button images from their SVG sources.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert; run it from anywhere after editing an SVG.
set -e
cd "$(dirname "$0")"
for size in 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" icons/setlistry.svg -o "icons/setlistry-$size.png"
done
for side in r l; do
    rsvg-convert -w 32 -h 32 "images/arrow_$side.svg" -o "/tmp/arrow_$side.png"
    convert "/tmp/arrow_$side.png" -type TrueColorAlpha -compress lzw "images/arrow_$side.tif"
    rm -f "/tmp/arrow_$side.png"
done
