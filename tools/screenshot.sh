#!/usr/bin/env bash
# docs/screenshot.png: the window on a catalog of a generated folder tree, drawn by Qt's
# offscreen platform (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="$work/home/ann"
mkdir -p "$tree"/{Music/Jazz,Music/Rock,Photos/2025,Documents/letters,Projects/varnel/src}
for i in $(seq 1 12); do
    head -c $((i * 371)) /dev/urandom >"$tree/Music/Jazz/track$(printf %02d "$i").mp3"
    head -c $((i * 52311)) /dev/urandom >"$tree/Photos/2025/IMG_$((4400 + i)).jpg"
done
for name in invoice-march.pdf notes.txt budget.ods cv.odt; do
    head -c 23456 /dev/urandom >"$tree/Documents/$name"
done
printf '<html><head><title>Letter to the club</title></head></html>' >"$tree/Documents/letters/club.html"
printf 'Dear Ann,\n' >"$tree/Documents/letters/reply.txt"
cp src/view/page.cpp src/view/page.h src/gui/mainview.cpp "$tree/Projects/varnel/src/"
for f in Rock/a.flac Rock/b.flac Rock/c.ogg; do head -c 4000123 /dev/zero >"$tree/Music/$f"; done
build/src/varnel-cli -d "$work/catalog.fdb" scan "$tree" >/dev/null
mkdir -p -m 0700 "$work/runtime"
XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    build/src/varnel --screenshot docs/screenshot.png "$work/catalog.fdb"
