#!/usr/bin/env bash
# The lyrics window's lag and cost over the demo song, in the three ways it
# can be drawn, on a private PulseAudio null sink under a private X server.
#
#   bench/player/lyrics-lag.sh BUILD_DIR [SECONDS] [MODES...]
#
# MODES default to "ticks classic wipe" (see bench_lyrics_lag.cpp). Needs
# pulseaudio and Xvfb (xvfb-run). ONDEL_LAG_WRAP runs each under a tool
# (ONDEL_LAG_WRAP="perf record -g -o /tmp/lag.data").
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-39}
shift $(( $# >= 2 ? 2 : 1 ))
modes=("$@")
[[ ${#modes[@]} -eq 0 ]] && modes=(ticks classic wipe)

if [[ -z "${ONDEL_LAG_INNER:-}" ]]; then
  export ONDEL_LAG_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$seconds" "${modes[@]}"
fi

work=$(mktemp -d)
pulse_pid=
cleanup() {
  [[ -n "$pulse_pid" ]] && kill "$pulse_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
HOME=$work XDG_RUNTIME_DIR=$work PULSE_RUNTIME_PATH=$work pulseaudio -n --daemonize=no \
  --exit-idle-time=-1 --use-pid-file=no --log-level=error --load=module-native-protocol-unix \
  "--load=module-null-sink sink_name=ondel_test" >/dev/null 2>&1 &
pulse_pid=$!
for _ in $(seq 100); do [[ -S $work/native ]] && break; sleep 0.05; done
export PULSE_SERVER=unix:$work/native HOME=$work XDG_CONFIG_HOME=$work/config

for mode in "${modes[@]}"; do
  ${ONDEL_LAG_WRAP:-} "$build/bench/player/bench_lyrics_lag" "$build/demo/demo.cue" "$build/demo/sakura.dwd" "$mode" "$seconds"
done
