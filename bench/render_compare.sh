#!/usr/bin/env bash
# Renders one composed project with two builds of quivara-cli over a set of settings that
# reach every path of the cell composition (cell sizes that differ by one pixel, cells of one
# to three pixels, large cells, no sharpening, detailed blend, borders and grid, original
# tile files, a selection, poster and direct writers, TIFF, BMP and JPEG) and checks that the
# files are byte for byte the same. Used to prove that a speed-up changed no output.
#
#   bench/render_compare.sh OLD_CLI NEW_CLI PROJECT.qvp [WORKDIR]
#
# Prints one line per case and "N passed, N failed" at the end; exits 1 on any difference.
set -euo pipefail
[ $# -ge 3 ] || { sed -n '2,9p' "$0"; exit 2; }
old="$1" new="$2" project="$3"
work="${4:-$(mktemp -d /tmp/qvcompare.XXXXXX)}"
mkdir -p "$work"
trap 'rm -f "$work"/old.* "$work"/new.*' EXIT

cases=(
  "tif|--direct --width 2000 --correction 30 --blend 20"
  "bmp|--width 2000 --correction 30 --blend 20"
  "jpg|--width 2000 --correction 30 --blend 20"
  "bmp|--direct --width 3333 --correction 50 --blend 35 --no-sharpen"
  "tif|--width 1999 --correction 10 --blend 40 --detailed-blend"
  "tif|--direct --width 2500 --correction 30 --blend 20 --borders 10,20,30,40 --grid 3,#FF0000"
  "bmp|--width 2500 --correction 30 --blend 20 --borders 7,0,5,3 --grid 2,#00FF00"
  "tif|--direct --width 1000 --correction 30 --blend 20 --originals --missing thumb"
  "tif|--width 2000"
  "tif|--direct --width 2001 --correction 100"
  "tif|--direct --width 2003 --blend 100"
  "tif|--width 777 --correction 30 --blend 20 --select 5,7,60,33"
  "tif|--width 150 --correction 30 --blend 20"
  "tif|--direct --width 250 --correction 30 --blend 20"
  "tif|--width 333 --correction 30 --blend 20 --detailed-blend"
  "bmp|--direct --width 4003 --correction 30 --blend 20 --select 1,1,4,4"
)
passed=0 failed=0
for c in "${cases[@]}"; do
  ext="${c%%|*}" args="${c#*|}"
  # shellcheck disable=SC2086
  "$old" render "$project" "$work/old.$ext" $args --missing thumb >/dev/null 2>&1
  # shellcheck disable=SC2086
  "$new" render "$project" "$work/new.$ext" $args --missing thumb >/dev/null 2>&1
  if cmp -s "$work/old.$ext" "$work/new.$ext"; then
    passed=$((passed + 1)); echo "same      .$ext $args"
  else
    failed=$((failed + 1)); echo "DIFFERENT .$ext $args"
  fi
  rm -f "$work/old.$ext" "$work/new.$ext"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
