#!/bin/sh
# The command-line exporter on one large library: --list, then the master playlist ("Library") as M3U, as
# delimited text of every field sorted by three keys, and as song-based HTML pages. Each run is timed with
# /usr/bin/time -v, and shown against --list of the same file in the same run: the ratio of the wall times,
# and the peak memory as a fraction of the file's size.
#
#   bench/bench_scale.sh [LIBRARY [BUILD_DIR [REPEAT]]]
#
# LIBRARY defaults to /tmp/lib1m.xml; make it with
#   python3 bench/generate_library.py --tracks 1000000 --out /tmp/lib1m.xml
# BUILD_DIR defaults to build/rel (a Release build). Each command runs REPEAT times (default 1) and its fastest
# run is kept: the machine is shared, and the fastest run is the one least disturbed by others. The outputs go
# to a temporary folder that is removed at the end.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
library=${1:-/tmp/lib1m.xml}
build=${2:-$src/build/rel}
repeat=${3:-1}
exe=$build/src/cli/setlistry-export
[ -x "$exe" ] || { echo "no $exe: build the Release configuration first" >&2; exit 1; }
[ -f "$library" ] || { echo "no library $library" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fileBytes=$(stat -c %s "$library")

# Every field in the output, sorted by artist, album and track number; the other settings at their defaults.
cat >"$work/all-fields.json" <<'EOF'
{
    "FieldOrder": ["Name", "Artist", "Album", "Genre", "Location", "SampleRate", "Time", "BitRate", "Rating",
                   "PlayCount", "TrackNumber", "Composer", "Comments", "Year", "Kind", "BPM", "Disc Number", "Size"],
    "SortOrder": ["Artist", "Album", "TrackNumber"]
}
EOF
echo '{}' >"$work/defaults.json"

# Runs the exporter REPEAT times; sets $wall, $cpu (user + system seconds) and $rss (KB) of the fastest run.
measure() {
    best=""
    i=0
    while [ "$i" -lt "$repeat" ]; do
        i=$((i + 1))
        rm -rf "$work/out"
        mkdir -p "$work/out"
        /usr/bin/time -v -o "$work/time.txt" "$exe" --library "$library" "$@" >/dev/null
        w=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
                for (k = 1; k <= n; ++k) s = s * 60 + p[k]; print s }' "$work/time.txt")
        c=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print u + s }' "$work/time.txt")
        r=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
        if [ -z "$best" ] || awk "BEGIN { exit !($w < $best) }"; then
            best=$w
            wall=$w
            cpu=$c
            rss=$r
        fi
    done
}

row() {
    awk -v what="$1" -v w="$wall" -v c="$cpu" -v r="$rss" -v lw="$listWall" -v lc="$listCpu" -v f="$fileBytes" \
        'BEGIN { printf "  %-34s %7.2f s wall %6.2fx  %7.2f s cpu %6.2fx  %7.0f MB rss %5.2fx file\n",
                 what, w, w / lw, c, c / lc, r / 1024, r * 1024 / f }'
}

echo "library: $library ($(awk -v f="$fileBytes" 'BEGIN { printf "%.0f MB", f / 1048576 }'))," \
    "best of $repeat; ratios against --list of the same file"
measure --list --settings "$work/defaults.json"
listWall=$wall
listCpu=$cpu
row "--list (baseline)"
measure --playlist Library --format m3u --output "$work/out/lib.m3u" --settings "$work/defaults.json"
row "m3u, master playlist"
measure --playlist Library --format txt --output "$work/out/lib.txt" --settings "$work/all-fields.json"
row "txt, all fields, 3 sort keys"
measure --playlist Library --format html --output "$work/out/lib.html" --settings "$work/defaults.json"
row "html, song pages"
