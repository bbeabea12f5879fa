#!/usr/bin/env bash
# The README's screenshot program still pictures every window: five PNG files, each of a plausible size.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$work/shots"
for name in form1 form2 form3 form11 mailbox; do
    file="$work/shots/$name.png"
    [[ -f "$file" ]] || { echo "no $name.png"; exit 1; }
    [[ $(head -c 8 "$file" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || { echo "$name.png is no PNG"; exit 1; }
    # Width and height are the big-endian words at bytes 16 and 20; a window smaller than 200x150 lost its layout.
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$file")
    ((width >= 200 && height >= 150)) || { echo "$name.png is only ${width}x${height}"; exit 1; }
    echo "$name.png ${width}x${height}"
done
