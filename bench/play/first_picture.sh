#!/usr/bin/env bash
# Seconds from `./scripts/play` in a fresh clone (packages present, no build, no compiler
# cache) to the show's first picture, in an 80 x 25 tmux terminal: the moment the pane is
# on the alternate screen with something drawn on it. Escape then ends the show.
#   first_picture.sh [REPOSITORY]      (default: the repository this script is in)
set -euo pipefail
repository=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
scratch=$(mktemp -d)
session=textshow-first-picture-$$
trap 'rm -rf "$scratch"; tmux -L "$session" kill-server 2>/dev/null' EXIT
git clone -q "$repository" "$scratch/textshow"

tmux -L "$session" new-session -d -s "$session" -x 80 -y 25 \
  "env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER TERM=tmux-256color \
   LC_ALL=C.UTF-8 $scratch/textshow/scripts/play 2>$scratch/play.log; echo \$? >$scratch/ended"
start=$(date +%s.%N)
while :; do
  if [ "$(tmux -L "$session" display -p -t "$session" '#{alternate_on}')" = 1 ] &&
    tmux -L "$session" capture-pane -p -t "$session" | grep -q '[^[:space:]]'; then
    break
  fi
  if [ -e "$scratch/ended" ]; then
    echo "play ended with status $(cat "$scratch/ended") before the first picture:" >&2
    cat "$scratch/play.log" >&2
    exit 1
  fi
  sleep 0.05
done
end=$(date +%s.%N)
tmux -L "$session" send-keys -t "$session" Escape
while [ ! -e "$scratch/ended" ]; do sleep 0.1; done
echo "first picture after $(awk "BEGIN { print $end - $start }") s (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
echo "what play said:"
cat "$scratch/play.log"
