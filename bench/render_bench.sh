#!/usr/bin/env bash
# Rendering benchmark: a 100 x 100 mosaic of the bundled samples rendered at 10 000 x 10 000
# pixels with correction 30 % and blend 20 %, in memory as JPEG and direct to disk as TIFF,
# then the direct writer's peak memory at 10 000 and 25 000 pixels square.
# Usage: bench/render_bench.sh [WORKDIR]   (needs about 2 GiB free in WORKDIR)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${QUIVARA_BUILD_DIR:-$root/build}/src/cli/quivara-cli"
work="${1:-$(mktemp -d /tmp/qvbench.XXXXXX)}"
mkdir -p "$work"
trap 'rm -f "$work"/*.tif "$work"/*.jpg' EXIT

"$cli" demo "$work" --samples "$root/resources/samples" --cols 100 --rows 100 --width 100 >/dev/null 2>&1
project="$work/demo.qvp"
common=(--correction 30 --blend 20 --missing thumb)

peak() {  # command... -> "seconds peak_kB cpu_seconds"
  /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" >"$work/out.txt" 2>/dev/null
  cat "$work/time.txt"
}
report() {  # label pixels seconds kB user sys
  awk -v l="$1" -v p="$2" -v s="$3" -v k="$4" -v u="$5" -v y="$6" \
    'BEGIN { printf "%-30s %7.1f s  %6.1f MP/s  (CPU %6.1f s: %5.1f MP per CPU-s)  peak %6.1f MiB\n", l, s, p / 1e6 / s, u + y, p / 1e6 / (u + y), k / 1024 }'
}

read -r s k u y < <(peak "$cli" render "$project" "$work/poster.jpg" --width 10000 "${common[@]}")
report "in-memory JPEG 10000 x 10000" 1e8 "$s" "$k" "$u" "$y"
read -r s k u y < <(peak "$cli" render "$project" "$work/direct.tif" --width 10000 --direct "${common[@]}")
report "direct TIFF 10000 x 10000" 1e8 "$s" "$k" "$u" "$y"
rm -f "$work/direct.tif" "$work/poster.jpg"
read -r s k u y < <(peak "$cli" render "$project" "$work/direct.tif" --width 25000 --direct "${common[@]}")
report "direct TIFF 25000 x 25000" 6.25e8 "$s" "$k" "$u" "$y"
rm -f "$work/direct.tif"
