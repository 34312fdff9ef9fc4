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
  --use-pid-file=no --disable-shm=yes \
  -L "module-null-sink sink_name=textshow_bench" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$folder/native" \
  >"$folder/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  [ -S "$folder/native" ] && break
  sleep 0.1
done
export PULSE_SERVER=unix:$folder/native
pactl info >/dev/null

cd "$bin"
for latency in "" 20 150 300; do
  if [ -n "$latency" ]; then
    PULSE_LATENCY_MSEC=$latency ./bench-picture-sync "$seconds" server
  else
    ./bench-picture-sync "$seconds" server
  fi
done
