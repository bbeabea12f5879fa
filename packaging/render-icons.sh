#!/usr/bin/env bash
# Renders the PNG icons from the SVG. The PNGs are committed, so only run this after changing the SVG.
set -euo pipefail
icons="$(cd "$(dirname "$0")" && pwd)/icons/hicolor"
name=org.quillmere.quillmere
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }

for size in 16 24 32 48 64 128 256; do
    mkdir -p "$icons/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" -o "$icons/${size}x${size}/apps/$name.png" "$icons/scalable/apps/$name.svg"
done
echo "rendered into $icons"
