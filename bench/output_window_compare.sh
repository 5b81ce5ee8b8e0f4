#!/usr/bin/env bash
# Time and peak memory of saving a mosaic from the output setup window (outputsave_uibench,
# offscreen) against quivara-cli render with the same settings, and whether the files agree.
#
#   bench/output_window_compare.sh [BUILD_DIR] [WIDTH] [tif|jpg]
# Makes a square 40 x 40 project from the bundled samples in a temporary folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
width="${2:-20000}"
kind="${3:-tif}"
cli="$build/src/cli/quivara-cli"
win="$build/bench/outputsave_uibench"
work="$(mktemp -d /tmp/qvwinbenchXXXXXX)"
trap 'rm -rf "$work"' EXIT
"$cli" demo "$work/demo" --samples "$root/resources/samples" >/dev/null 2>&1
"$cli" project create "$work/sq.qvp" --library "$work/demo/samples.qv2" --source "$root/resources/samples/source.jpg" \
  --cols 40 --rows 40 --rect 120,0,840,720 >/dev/null 2>&1
"$cli" compose "$work/sq.qvp" --mode smart >/dev/null 2>&1
direct=() && [ "$kind" = tif ] && direct=(--direct)
measure() {  # label, command...
  local label="$1"
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err"; exit 1; }
  read -r secs kb <"$work/time"
  printf '%-8s %8.2f s %8d MB peak\n' "$label" "$secs" $((kb / 1024))
}
measure window env QT_QPA_PLATFORM=offscreen "$win" "$work/sq.qvp" "$work/win.$kind" --width "$width" "${direct[@]}"
measure cli "$cli" render "$work/sq.qvp" "$work/cli.$kind" --width "$width" --quality 85 --missing thumb "${direct[@]}"
cmp -s "$work/win.$kind" "$work/cli.$kind" && echo "files identical" || { echo "files differ"; exit 1; }
