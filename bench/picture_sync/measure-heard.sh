#!/usr/bin/env bash
# Measures the picture against the heard music on a private PulseAudio server with a null
# sink, at the server's default latency and at PULSE_LATENCY_MSEC 20, 150 and 300:
#   bench/picture_sync/measure-heard.sh BIN_DIR [SECONDS]
# BIN_DIR holds bench-picture-sync and the soundtrack (build/bin).
set -euo pipefail
bin=$(cd "$1" && pwd)
seconds=${2:-82.8}
folder=$(mktemp -d /tmp/textshow_bench_pulse.XXXXXX)
server=
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$folder"
}
trap cleanup EXIT

HOME=$folder XDG_RUNTIME_DIR=$folder PULSE_RUNTIME_PATH=$folder PULSE_STATE_PATH=$folder \
  XDG_CONFIG_HOME=$folder PULSE_SERVER= \
  pulseaudio -n --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit \
  --use-pid-file=no --disable-shm=yes --log-level=info --log-target="file:$folder/server.log" \
  -L "module-null-sink sink_name=textshow_bench" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$folder/native" \
  >"$folder/server.out" 2>&1 &
server=$!
export PULSE_SERVER=unix:$folder/native
# A busy machine can take many seconds to start the server; wait until it answers, and
# show what it said if it gives up or never does.
give_up=$((SECONDS + 120))
until pactl info >/dev/null 2>&1; do
  if ! kill -0 "$server" 2>/dev/null || [ "$SECONDS" -ge "$give_up" ]; then
    echo "measure-heard: the private PulseAudio server did not start; what it said:" >&2
    cat "$folder/server.log" "$folder/server.out" >&2 2>/dev/null || true
    exit 1
  fi
  sleep 0.1
done

cd "$bin"
for latency in "" 20 150 300; do
  if [ -n "$latency" ]; then
    PULSE_LATENCY_MSEC=$latency ./bench-picture-sync "$seconds" server
  else
    ./bench-picture-sync "$seconds" server
  fi
done
