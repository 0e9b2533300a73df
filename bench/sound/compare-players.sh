#!/usr/bin/env bash
# CPU time and peak memory of the whole player singing the demo disc with its
# lyrics for a while, beside other programs playing the same file, all on one
# private PulseAudio null sink under one X server.
#
#   bench/sound/compare-players.sh BUILD_DIR [SECONDS] [-- 'COMMAND {}' ...]
#
# Each COMMAND after -- is a peer; {} stands for the demo's audio file. paplay
# is always measured, and so is the floor, ondel-floor-player, with and without
# its lyrics window, when the build has it (-DONDEL_BENCH=ON): what a Qt window
# with a 50 ms timer and a decoding thread costs before any of the player's own
# work. Needs pulseaudio, Xvfb (xvfb-run) and xdotool.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-20}
shift $(( $# >= 2 ? 2 : 1 ))
[[ "${1:-}" == "--" ]] && shift
peers=("paplay {}")
floor=$build/bench/sound/ondel-floor-player
[[ -x "$floor" ]] && peers+=("$floor {}" "$floor --lyrics {}")
peers+=("$@")

if [[ -z "${ONDEL_COMPARE_INNER:-}" ]]; then
  export ONDEL_COMPARE_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$seconds" -- "$@"
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
export PULSE_SERVER=unix:$work/native
export XDG_CONFIG_HOME=$work/config HOME=$work
# ONDEL_COMPARE_WIPE=1: the lyrics window fills each piece as it is sung.
if [[ -n "${ONDEL_COMPARE_WIPE:-}" ]]; then
  mkdir -p "$XDG_CONFIG_HOME/OndelPlayer"
  printf '[WordsDisplayState]\nWipe=1\n' >"$XDG_CONFIG_HOME/OndelPlayer/OndelPlayer.conf"
fi

ticks=$(getconf CLK_TCK)
# Prints "<cpu seconds> <peak KiB>" of a running process.
measure() {
  local pid=$1 stat
  stat=$(cat /proc/"$pid"/stat)
  stat=${stat##*) }
  read -r -a f <<<"$stat"
  local cpu=$(( f[11] + f[12] ))
  local peak
  peak=$(awk '/^VmHWM/ {print $2}' /proc/"$pid"/status)
  awk -v c="$cpu" -v t="$ticks" -v p="$peak" 'BEGIN { printf "%.2f s cpu  %6.1f MB peak\n", c / t, p / 1024 }'
}
# Prints the CPU seconds of each thread of a running process, by thread name.
measure_threads() {
  local pid=$1 task stat name
  for task in /proc/"$pid"/task/*; do
    stat=$(cat "$task"/stat 2>/dev/null) || continue
    name=${stat#*(}; name=${name%%)*}
    stat=${stat##*) }
    read -r -a f <<<"$stat"
    awk -v n="$name" -v c=$(( f[11] + f[12] )) -v t="$ticks" 'BEGIN { printf "    %-36s %.2f s cpu\n", n, c / t }'
  done
}

# The player: starts on the demo disc, Play is clicked, the lyrics sing.
"$build/ondelplayer" --disc "$build/demo/demo.cue" ${ONDEL_COMPARE_TRACE:+--trace "$ONDEL_COMPARE_TRACE"} >/dev/null 2>&1 &
player=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --pid "$player" --name '^OndelPlayer$' 2>/dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
if [[ -z "$window" ]]; then echo "the player's window did not appear" >&2; exit 1; fi
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
at_start=$(measure "$player")                           # the start, window up, before Play
xdotool mousemove $((X + 117)) $((Y + 103)) click 1   # the Play button
sleep "$seconds"
[[ -n "${ONDEL_COMPARE_SHOT:-}" ]] && { command -v import >/dev/null && import -window root "$ONDEL_COMPARE_SHOT" || echo "no screenshot: ImageMagick's import is not installed"; }
printf '%-40s ' "ondelplayer (window, lyrics)"
measure "$player"
printf '    %-36s %s\n' "of which the start, window up" "$at_start"
measure_threads "$player"
kill "$player"; wait "$player" 2>/dev/null || true

for peer in "${peers[@]}"; do
  command=${peer//\{\}/$build/demo/demo.flac}
  bash -c "exec $command" >/dev/null 2>&1 &
  pid=$!
  sleep "$seconds"
  name=${peer%% \{\}*}
  printf '%-40s ' "${name##*/}"
  if kill -0 "$pid" 2>/dev/null; then measure "$pid"; else echo "ended early"; fi
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
done
