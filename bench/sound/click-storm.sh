#!/usr/bin/env bash
# Clicks the real player's transport buttons at random, fast, on the demo disc
# through a private PulseAudio null sink, in one play mode; after every Stop it
# checks that the disc stays stopped. Fails on an abort or a Stop undone.
#
#   bench/sound/click-storm.sh BUILD_DIR MODE(0-3) [CLICKS]
set -euo pipefail
build=$(cd "$1" && pwd)
mode=$2
clicks=${3:-1000}

if [[ -z "${ONDEL_STORM_INNER:-}" ]]; then
  export ONDEL_STORM_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
pulse_pid=
player=
cleanup() {
  [[ -n "$player" ]] && kill "$player" 2>/dev/null || true
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
trace=$work/trace.txt
"$build/ondelplayer" --disc "$build/demo/demo.cue" --trace "$trace" >"$work/player.log" 2>&1 &
player=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --pid "$player" --name '^OndelPlayer$' 2>/dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "the player's window did not appear" >&2; exit 1; }
# Away from the corner where the lyrics window opens.
xdotool windowmove "$window" 400 400
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
declare -A at=([Rew]="49 103" [Play]="117 103" [Stop]="174 103" [FF]="223 103")
for ((m = 0; m < mode; m++)); do   # SetMode steps through the play modes
  xdotool mousemove $((X + 283)) $((Y + 57)) click 1
  sleep 0.2
done
buttons=(Play Play FF FF FF Rew Rew Stop)

stops=0 undone=0
for ((i = 1; i <= clicks; i++)); do
  button=${buttons[RANDOM % ${#buttons[@]}]}
  read -r dx dy <<<"${at[$button]}"
  xdotool mousemove $((X + dx)) $((Y + dy)) click 1
  if ! kill -0 "$player" 2>/dev/null; then
    echo "the player ended at click $i:" >&2
    tail -5 "$work/player.log" >&2
    exit 1
  fi
  if [[ $button == Stop ]]; then
    stops=$((stops + 1))
    sleep 0.4
    # After the last stop command: no play, and the mode stays "stopped".
    last_stop=$(grep -n $'\tcmd\tstop cdaudio\t' "$trace" | tail -1 | cut -d: -f1 || true)
    if [[ -n "$last_stop" ]]; then
      after=$(tail -n +"$last_stop" "$trace")
      if grep -q $'\tcmd\tplay cdaudio from' <<<"$after" ||
        [[ $(grep $'\tcmd\tstatus cdaudio mode wait' <<<"$after" | tail -1 | cut -f5) != stopped ]]; then
        undone=$((undone + 1))
        echo "stop at click $i was undone" >&2
      fi
    fi
  else
    sleep "0.$((RANDOM % 25 + 5))"
  fi
done
kill -0 "$player" 2>/dev/null || { echo "the player ended" >&2; exit 1; }
echo "mode $mode: $clicks clicks, $stops stops, $undone undone, no abort"
[[ $undone -eq 0 ]]
