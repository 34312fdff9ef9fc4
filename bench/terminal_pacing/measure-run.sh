#!/usr/bin/env bash
# Plays the show in a tmux pane of 80 x 25 and reports frames per second, the CPU use of
# the show and of the terminal (the tmux server), and the bytes written per frame.
#   bench/terminal_pacing/measure-run.sh [BIN_DIR] [SECONDS]
# BIN_DIR defaults to build/bin; SECONDS to the whole show (90, it ends itself at 82.8).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin_dir=$(cd "${1:-$root/build/bin}" && pwd)
seconds=${2:-90}
socket="textshow-pacing-$$"
capture=$(mktemp)
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -f "$capture"' EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

tmux -L "$socket" -f /dev/null new-session -d -x 80 -y 25 "cd '$bin_dir' && ./textshow; sleep 5"
tmux -L "$socket" pipe-pane -o "cat >> '$capture'"
server=$(tmux -L "$socket" display-message -p '#{pid}')
show=""
for _ in $(seq 50); do
  show=$(pgrep -n -f "^./textshow$" || true)
  [ -n "$show" ] && break
  sleep 0.1
done
[ -n "$show" ] || { echo "the show did not start" >&2; exit 1; }

start=$(date +%s.%N)
server_start=$(ticks "$server")
show_start=$(ticks "$show")
show_last=$show_start
while kill -0 "$show" 2>/dev/null; do
  show_last=$(ticks "$show" 2>/dev/null || echo "$show_last")
  now=$(date +%s.%N)
  if awk -v a="$start" -v b="$now" -v s="$seconds" 'BEGIN { exit !(b - a >= s) }'; then
    break
  fi
  sleep 0.2
done
end=$(date +%s.%N)
server_end=$(ticks "$server")
kill "$show" 2>/dev/null || true
sleep 0.3

frames=$(grep -o $'\e\\[?2026h' "$capture" | wc -l)
bytes=$(stat -c %s "$capture")
awk -v s="$start" -v e="$end" -v f="$frames" -v b="$bytes" -v hz="$hz" \
    -v ss="$show_start" -v se="$show_last" -v ts="$server_start" -v te="$server_end" 'BEGIN {
  t = e - s
  printf "seconds %.1f  frames %d  fps %.1f  bytes/frame %.0f  show cpu %.1f%%  terminal cpu %.1f%%\n",
         t, f, f / t, (f > 0 ? b / f : 0), 100 * (se - ss) / hz / t, 100 * (te - ts) / hz / t
}'
