#!/usr/bin/env bash
# The 300 dpi poster (36 x 24 inches, 10,800 x 7,200 pixels, JPEG quality 80)
# of the 20 photos bench_render uses (the first 20 of the corpus's
# bench48.list; make the corpus with ../shared/bench/corpus.sh DIR first),
# made by collage-cli and by a libvips pipeline, side by side in one run.
#
# Usage: bench/poster-vs-vips.sh [CORPUS_DIR] [ROUNDS] [DPI]   (defaults /tmp/corpus 5 300; env BUILD_DIR)
#
# Each round runs, one after the other, on the same files, every process free
# to use every core:
#   vips  vipsthumbnail -s CELL --smartcrop centre per photo (5 x 4 cells of
#         the poster), then vips arrayjoin --across 5 into the JPEG
#   ours  collage-cli export PROJECT poster.jpg --dpi DPI, the project made
#         once beforehand by collage-cli make from the 20 photos
# Times are wall clock around the whole pipeline or process, start-up
# included; GNU time gives the processor time (user + system, summed over
# vips's 21 processes) and the peak resident memory (the largest of vips's
# processes). Prints the medians and the ratio of the two times.
set -euo pipefail

CORPUS=${1:-/tmp/corpus}
ROUNDS=${2:-5}
DPI=${3:-300}
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}
CLI="$BUILD_DIR/bin/collage-cli"
LIST="$CORPUS/bench48.list"
PHOTO_COUNT=20
COLUMNS=5
ROWS=4
WIDTH_INCHES=36
HEIGHT_INCHES=24

[ -s "$LIST" ] || { echo "no $LIST: make the corpus with ../shared/bench/corpus.sh $CORPUS" >&2; exit 2; }
[ -x "$CLI" ] || { echo "no $CLI: build collage-cli first" >&2; exit 2; }
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail missing: apt-get install libvips-tools" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing: apt-get install time" >&2; exit 2; }

WORK=$(mktemp -d /tmp/poster-vs-vips.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mapfile -t PHOTOS < <(head -n "$PHOTO_COUNT" "$LIST")
[ "${#PHOTOS[@]}" -eq "$PHOTO_COUNT" ] || { echo "$LIST holds fewer than $PHOTO_COUNT photos" >&2; exit 2; }
CELL="$((WIDTH_INCHES * DPI / COLUMNS))x$((HEIGHT_INCHES * DPI / ROWS))"
export XDG_DATA_HOME="$WORK/data" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen

# The project: `make` lays the 20 photos out over the 36 x 24 inch canvas
# (bench_render puts them in a 5 x 4 grid; the poster has the same pixels).
"$CLI" make "${PHOTOS[@]}" --out "$WORK/poster.Collage" --canvas "${WIDTH_INCHES}x${HEIGHT_INCHES}" --seed 1 \
  >"$WORK/make.out" 2>&1 || { echo "collage-cli make failed:" >&2; cat "$WORK/make.out" >&2; exit 1; }

# timed NAME COMMAND...: appends "wall cpu peakKiB" of one process to NAME's records
timed() {
  local name=$1; shift
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$WORK/time" "$@" >"$WORK/out" 2>"$WORK/err" \
    || { echo "$name failed:" >&2; cat "$WORK/err" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" '
    /User time/ { u = $NF } /System time/ { s = $NF } /Maximum resident/ { m = $NF }
    END { print b - a, u + s, m }' "$WORK/time" >> "$WORK/$name.one"
}

# The vips pipeline as one record: summed wall and processor time, largest peak.
vips_round() {
  rm -f "$WORK/vips.one"
  local cells=() i=0
  for photo in "${PHOTOS[@]}"; do
    cells+=("$WORK/cell$i.v")
    timed vips vipsthumbnail "$photo" -s "$CELL" --smartcrop centre -o "$WORK/cell$i.v"
    i=$((i + 1))
  done
  timed vips vips arrayjoin "${cells[*]}" "$WORK/vips.jpg[Q=80]" --across "$COLUMNS"
  awk '{ w += $1; c += $2; if ($3 > m) m = $3 } END { print w, c, m }' "$WORK/vips.one" >> "$WORK/vips.runs"
  rm -f "$WORK"/cell*.v
}

for round in $(seq "$ROUNDS"); do
  vips_round
  rm -f "$WORK/ours.one"
  timed ours "$CLI" export "$WORK/poster.Collage" "$WORK/ours.jpg" --dpi "$DPI"
  cat "$WORK/ours.one" >> "$WORK/ours.runs"
  echo "round $round done (load average $(cut -d' ' -f1-3 /proc/loadavg))" >&2
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf '%-6s %10s %12s %10s\n' run seconds "cpu seconds" "peak MiB"
for name in vips ours; do
  s=$(cut -d' ' -f1 "$WORK/$name.runs" | median)
  c=$(cut -d' ' -f2 "$WORK/$name.runs" | median)
  m=$(cut -d' ' -f3 "$WORK/$name.runs" | median)
  printf '%-6s %10.3f %12.3f %10.1f\n' "$name" "$s" "$c" "$(awk -v m="$m" 'BEGIN { print m / 1024 }')"
  eval "sec_$name=$s cpu_$name=$c"
done
echo "ours / vips: $(awk -v a="$sec_ours" -v b="$sec_vips" 'BEGIN { printf "%.2f", a / b }') of the time" \
  "($(awk -v a="$cpu_ours" -v b="$cpu_vips" 'BEGIN { printf "%.2f", a / b }') of the processor time)"
identify -format "output %wx%h\n" "$WORK/ours.jpg" 2>/dev/null || true
echo "($PHOTO_COUNT photos at $DPI dpi, $ROUNDS rounds, medians; $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg))"
