#!/usr/bin/env bash
# docs/screenshot.png: the window on a catalog of a made-up home folder and an FTP site, and
# docs/search.png: the search dialog over the preview of a page; drawn by Qt's offscreen
# platform (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VARNEL_BUILD_DIR:-build}  # the build folder that holds src/varnel and src/varnel-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One line a file: folder, name, note, time (Windows file time), size.
/usr/bin/python3 - >"$work/records.tsv" <<'PY'
import random
random.seed(7)
def filetime(day, minute):  # days after 2025-01-01
    return (1735689600 + day * 86400 + minute * 60 + 11644473600) * 10**7
rows = []
for name, size in [("invoice-march.pdf", 84_211), ("notes.txt", 2_310), ("budget.ods", 23_456), ("cv.odt", 41_870)]:
    rows.append(("/home/ann/Documents/", name, "", filetime(random.randrange(300), 500), size))
rows.append(("/home/ann/Documents/letters/", "club.html", "Letter to the club", filetime(310, 1000), 5_912))
rows.append(("/home/ann/Documents/letters/", "reply.txt", "", filetime(311, 900), 1_024))
for name, size in [("a.flac", 31_004_123), ("b.flac", 28_770_402), ("c.ogg", 6_000_123)]:
    rows.append(("/home/ann/Music/Rock/", name, "", filetime(90, 300), size))
for name, size in [("debian-13.iso", 4_000_000_000), ("README", 1_201), ("ls-lR.gz", 18_334_100)]:
    rows.append(("ftp:\\\\ftp.example.org\\pub\\", name, "", filetime(200, 60), size))
for i in range(1, 13):
    rows.append(("/home/ann/Music/Jazz/", "track%02d.mp3" % i, "", filetime(40 + i, 600 + i), 3_100_000 + i * 211_337))
    rows.append(("/home/ann/Photos/2025/", "IMG_%d.jpg" % (4400 + i), "", filetime(180 + i, 720 + 7 * i), 2_400_000 + i * 52_311))
for folder, name, note, time, size in rows:
    print("\t".join([folder, name, note, str(time), str(size & 0xFFFFFFFF)]))
PY
"$build/src/varnel-cli" -d "$work/catalog.fdb" make "$work/records.tsv" >/dev/null
mkdir -p -m 0700 "$work/runtime"
# The folder pane shows a home folder of the same shape; the window's remembered size and
# place are a settings folder of its own, so the picture never depends on the user's.
for folder in Documents/letters Music/Jazz Music/Rock Photos/2025 Videos; do
    mkdir -p "$work/home/ann/$folder"
done
HOME="$work/home/ann" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen TZ=UTC \
    "$build/src/varnel" --screenshot docs/screenshot.png "$work/catalog.fdb"

# The preview needs a real file: a letter written into the made-up home, catalogued there.
letters="$work/home/ann/Documents/letters"
cat >"$letters/club.html" <<'HTML'
<html><head><title>Letter to the club</title></head>
<body style="font-family: serif; margin: 2em">
<h2>To the members of the rowing club</h2>
<p>Dear friends,</p>
<p>the spring regatta moves to <b>Saturday, 12 April</b>. Boats go on the water at nine; the
clubhouse opens at eight for coffee and the draw of the crews.</p>
<ul><li>Bring your licence.</li><li>Lunch is on the terrace.</li></ul>
<p>With best wishes,<br>Ann</p>
</body></html>
HTML
printf '%s/\tclub.html\tLetter to the club\t133600000000000000\t512\n' "$letters" >>"$work/records.tsv"
"$build/src/varnel-cli" -d "$work/search.fdb" make "$work/records.tsv" >/dev/null
HOME="$work/home/ann" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen TZ=UTC \
    "$build/src/varnel" --screenshot-search "$letters/club.html" docs/search.png "$work/search.fdb"
