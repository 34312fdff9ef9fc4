#!/usr/bin/env bash
# same_frames_test.sh BUILD WINDOWS_BUILD: show-frames.exe under wine renders the whole show
# at 60 frames a second and along an irregular tick sequence, and every frame must equal,
# byte for byte, the one this build's show-frames renders for the same ticks.
set -euo pipefail
build=$1
windows_build=$2
export WINEPREFIX="$windows_build/wine-prefix" WINEDEBUG=-all
scratch=$(mktemp -d "$build/tests/same-frames-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# 60 frames a second up to the last scene, whose frame ends the renderer with 23.
awk 'BEGIN { for (k = 0; k <= 4969; k++) print int(k * 22050 / 60) }' >"$scratch/steady.txt"
# Steps of 1 to 1500 ticks from a small fixed generator, so effects that carry state from
# frame to frame (the fire, the random switch) see uneven gaps too.
awk 'BEGIN { s = 7; for (t = 0; t < 1826000; t += 1 + s % 1500) { print t; s = (s * 75 + 74) % 65537 } }' \
  >"$scratch/irregular.txt"

status=0
for ticks in steady irregular; do
  (cd "$build/bin" && ./show-frames --ticks-file "$scratch/$ticks.txt" --out "$scratch/linux-$ticks" \
    >/dev/null) || [ $? -eq 23 ]
  (cd "$windows_build/bin" && wine ./show-frames.exe --ticks-file "$scratch/$ticks.txt" \
    --out "$scratch/windows-$ticks" >/dev/null) || [ $? -eq 23 ]
  count=$(find "$scratch/linux-$ticks" -name '*.bin' | wc -l)
  if [ "$count" -lt 1000 ]; then
    echo "$ticks: only $count frames rendered" >&2
    status=1
  fi
  if ! diff -rq "$scratch/linux-$ticks" "$scratch/windows-$ticks"; then
    echo "$ticks: the Windows frames differ" >&2
    status=1
  fi
done
exit $status
