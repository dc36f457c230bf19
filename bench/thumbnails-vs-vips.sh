#!/usr/bin/env bash
# collage-cli's thumbnails against vipsthumbnail, side by side in one run, on
# the 48 photos of the corpus's bench48.list (make the corpus with
# ../shared/bench/corpus.sh DIR first).
#
# Usage: bench/thumbnails-vs-vips.sh [CORPUS_DIR] [ROUNDS]   (defaults /tmp/corpus 5; env BUILD_DIR)
#
# Each round runs, one after the other, on the same files:
#   vips    taskset -c 0 env VIPS_CONCURRENCY=1 vipsthumbnail -s 128 -o OUT/%s.jpg PHOTO...
#   ours-1  taskset -c 0 collage-cli photos thumbnails --jobs 1
#   ours-2  taskset -c 0,1 collage-cli photos thumbnails --jobs 2
# collage-cli starts each round from a collection of the 48 photos without
# thumbnails (a fresh "Thumbs.DAT"), so it renders and stores all 48. Times
# are wall clock around the whole process, start-up included, for all
# three; GNU time adds the processor time (user + system) and the peak
# resident memory of each process. Prints the medians and the ratios of
# photos per second, by wall clock and by processor time (the fairer one on
# a machine other work shares).
set -euo pipefail

CORPUS=${1:-/tmp/corpus}
ROUNDS=${2:-5}
BUILD_DIR=${BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build}
CLI="$BUILD_DIR/bin/collage-cli"
LIST="$CORPUS/bench48.list"

[ -s "$LIST" ] || { echo "no $LIST: make the corpus with ../shared/bench/corpus.sh $CORPUS" >&2; exit 2; }
[ -x "$CLI" ] || { echo "no $CLI: build collage-cli first" >&2; exit 2; }
if ! command -v vipsthumbnail >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y --no-install-recommends libvips-tools
fi
[ -x /usr/bin/time ] || apt-get install -y --no-install-recommends time

WORK=$(mktemp -d /tmp/thumbs-vs-vips.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mapfile -t PHOTOS < "$LIST"
COUNT=${#PHOTOS[@]}

# One folder of links to the 48 photos, refreshed once into a collection
# that is copied afresh for every round.
mkdir -p "$WORK/photos" "$WORK/seed"
for p in "${PHOTOS[@]}"; do ln -s "$p" "$WORK/photos/$(basename "$p")"; done
XDG_DATA_HOME="$WORK/seed/data" XDG_CONFIG_HOME="$WORK/seed/config" "$CLI" photos refresh "$WORK/photos" >/dev/null 2>&1
rm -f "$WORK/seed/data/Tessary/ImageDatabase/Thumbs.DAT"

# run NAME CPUS COMMAND...: wall seconds and peak KiB of one run, appended to NAME's records
run() {
  local name=$1 cpus=$2; shift 2
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%M %U %S" -o "$WORK/rss" taskset -c "$cpus" "$@" >"$WORK/out" 2>"$WORK/err" \
    || { echo "$name failed:" >&2; cat "$WORK/err" >&2; exit 1; }
  end=$(date +%s.%N)
  read -r rss user sys < "$WORK/rss"
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }') $rss $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" \
    >> "$WORK/$name.runs"
}

fresh_home() {
  rm -rf "$WORK/home"
  cp -a "$WORK/seed" "$WORK/home"
}

for round in $(seq "$ROUNDS"); do
  rm -rf "$WORK/vout" && mkdir -p "$WORK/vout"
  run vips 0 env VIPS_CONCURRENCY=1 vipsthumbnail -s 128 -o "$WORK/vout/%s.jpg" "${PHOTOS[@]}"
  [ "$(ls "$WORK/vout" | wc -l)" -eq "$COUNT" ] || { echo "vipsthumbnail wrote too few thumbnails" >&2; exit 1; }
  for jobs in 1 2; do
    fresh_home
    cpus=0; [ "$jobs" = 2 ] && cpus=0,1
    run "ours-$jobs" "$cpus" env XDG_DATA_HOME="$WORK/home/data" XDG_CONFIG_HOME="$WORK/home/config" \
      "$CLI" photos thumbnails --jobs "$jobs"
    grep -q "thumbnails rendered: $COUNT" "$WORK/out" || { echo "collage-cli rendered too few:" >&2; cat "$WORK/out" >&2; exit 1; }
  done
  echo "round $round done" >&2
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf '%-8s %10s %12s %12s %14s %10s\n' run seconds photos/s "cpu seconds" "photos/cpu-s" "peak MiB"
for name in vips ours-1 ours-2; do
  s=$(cut -d' ' -f1 "$WORK/$name.runs" | median)
  m=$(cut -d' ' -f2 "$WORK/$name.runs" | median)
  c=$(cut -d' ' -f3 "$WORK/$name.runs" | median)
  printf '%-8s %10.3f %12.1f %12.3f %14.1f %10.1f\n' "$name" "$s" "$(awk -v n="$COUNT" -v s="$s" 'BEGIN { print n / s }')" \
    "$c" "$(awk -v n="$COUNT" -v c="$c" 'BEGIN { print n / c }')" "$(awk -v m="$m" 'BEGIN { print m / 1024 }')"
  eval "sec_${name//-/_}=$s cpu_${name//-/_}=$c"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "ours-1 / vips: $(ratio "$sec_vips" "$sec_ours_1") times the photos per second ($(ratio "$cpu_vips" "$cpu_ours_1") by processor time)"
echo "ours-2 / vips: $(ratio "$sec_vips" "$sec_ours_2") times the photos per second"
echo "($COUNT photos, $ROUNDS rounds, medians; $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg))"
