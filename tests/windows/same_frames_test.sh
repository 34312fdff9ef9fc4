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

# The tick rate and the last tick, as the renderer itself states them in its help.
help=$("$build/bin/show-frames" --help)
rate=$(sed -n 's|.*show ticks (1/\([0-9]*\) s).*|\1|p' <<<"$help")
last=$(sed -n 's|.*(at tick \([0-9]*\)).*|\1|p' <<<"$help")
if [ -z "$rate" ] || [ -z "$last" ]; then
  echo "show-frames --help names no tick rate or last tick" >&2
  exit 1
fi
# 60 frames a second up to the first frame past the last tick, which ends the renderer
# with 23.
awk -v rate="$rate" -v last="$last" \
  'BEGIN { for (k = 0; ; k++) { t = int(k * rate / 60); print t; if (t > last) break } }' \
  >"$scratch/steady.txt"
# Steps of 1 to 1500 ticks from a small fixed generator, so effects that carry state from
# frame to frame (the fire, the random switch) see uneven gaps too.
awk -v last="$last" \
  'BEGIN { s = 7; for (t = 0; t < last; t += 1 + s % 1500) { print t; s = (s * 75 + 74) % 65537 } }' \
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
