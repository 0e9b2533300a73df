#!/usr/bin/env bash
# Clicks the real player's transport buttons at random, fast, through a
# private PulseAudio null sink and a private session bus, in one play mode.
# The disc is made here: short tracks (TRACK_SECONDS each, 3 s by default),
# so that the storm crosses track ends again and again, where the play modes
# act. Three checks:
#   - after every click the player answers on the session bus within 2 s
#     (its MPRIS PlaybackStatus, answered by the window's own thread): a
#     frozen window fails the run, where X alone would still answer;
#   - after every Stop the disc stays stopped (the trace: no play command
#     after the stop, the mode "stopped");
#   - after every Stop the sink's monitor is silent (recorded with parec):
#     nothing is heard once Stop has taken effect.
# Fails on an abort, a hang, a Stop undone or sound after a Stop.
#
#   bench/sound/click-storm.sh BUILD_DIR MODE(0-3) [CLICKS] [TRACK_SECONDS]
set -euo pipefail
build=$(cd "$1" && pwd)
mode=$2
clicks=${3:-1000}
track_seconds=${4:-3}

if [[ -z "${ONDEL_STORM_INNER:-}" ]]; then
  export ONDEL_STORM_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
pulse_pid=
bus_pid=
player=
cleanup() {
  [[ -n "$player" ]] && kill "$player" 2>/dev/null || true
  [[ -n "$pulse_pid" ]] && kill "$pulse_pid" 2>/dev/null || true
  [[ -n "$bus_pid" ]] && kill "$bus_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Six short tracks of a steady tone each (a different pitch per track), as a
# folder disc.
mkdir "$work/disc"
python3 - "$work/disc" "$track_seconds" <<'EOF'
import math, struct, sys, wave
folder, seconds = sys.argv[1], float(sys.argv[2])
for track in range(6):
    frames = int(44100 * seconds)
    step = 2 * math.pi * (330 + 55 * track) / 44100
    data = bytearray()
    for i in range(frames):
        v = int(8000 * math.sin(i * step))
        data += struct.pack('<hh', v, v)
    with wave.open(f"{folder}/{track + 1:02d} tone.wav", 'wb') as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(44100)
        out.writeframes(bytes(data))
EOF

HOME=$work XDG_RUNTIME_DIR=$work PULSE_RUNTIME_PATH=$work pulseaudio -n --daemonize=no \
  --exit-idle-time=-1 --use-pid-file=no --log-level=error --load=module-native-protocol-unix \
  "--load=module-null-sink sink_name=ondel_test" >/dev/null 2>&1 &
pulse_pid=$!
for _ in $(seq 100); do [[ -S $work/native ]] && break; sleep 0.05; done
bus_info=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
bus_pid=$(sed -n 2p <<<"$bus_info")
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus_info")
export DBUS_SESSION_BUS_ADDRESS
export PULSE_SERVER=unix:$work/native HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
trace=$work/trace.txt
"$build/ondelplayer" --disc "$work/disc" --trace "$trace" >"$work/player.log" 2>&1 &
player=$!
window=
for _ in $(seq 100); do
  window=$(xdotool search --pid "$player" --name '^OndelPlayer$' 2>/dev/null | head -1 || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "the player's window did not appear" >&2; exit 1; }

# The window's thread answers a property read; prints the milliseconds it took.
answer_ms() {
  local start end
  start=$(date +%s%N)
  dbus-send --session --print-reply --reply-timeout=2000 --dest=org.mpris.MediaPlayer2.ondelplayer \
    /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
    string:org.mpris.MediaPlayer2.Player string:PlaybackStatus >/dev/null 2>&1 || return 1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
# The loudest sample on the sink's monitor over a quarter of a second.
monitor_peak() {
  # parec ends by the broken pipe once head has its bytes.
  { timeout 3 parec --raw -d ondel_test.monitor --format=s16le --rate=44100 --channels=2 \
    --latency-msec=20 2>/dev/null || true; } | head -c 44100 |
    python3 -c 'import array,sys; a=array.array("h", sys.stdin.buffer.read()); print(max(map(abs, a), default=-1))'
}
for _ in $(seq 50); do answer_ms >/dev/null && break; sleep 0.1; done

# Away from the corner where the lyrics window opens.
xdotool windowmove "$window" 400 400
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
declare -A at=([Rew]="49 103" [Play]="117 103" [Stop]="174 103" [FF]="223 103")
for ((m = 0; m < mode; m++)); do   # SetMode steps through the play modes
  xdotool mousemove $((X + 283)) $((Y + 57)) click 1
  sleep 0.2
done
# A tone is heard while playing: the sound check can hear at all.
xdotool mousemove $((X + 117)) $((Y + 103)) click 1
sleep 1
playing_peak=$(monitor_peak)
buttons=(Play Play FF FF FF Rew Rew Stop)

stops=0 undone=0 hangs=0 loud=0 slowest=0 total_ms=0 answers=0 loudest=0
for ((i = 1; i <= clicks; i++)); do
  button=${buttons[RANDOM % ${#buttons[@]}]}
  read -r dx dy <<<"${at[$button]}"
  xdotool mousemove $((X + dx)) $((Y + dy)) click 1
  if ! kill -0 "$player" 2>/dev/null; then
    echo "the player ended at click $i:" >&2
    tail -5 "$work/player.log" >&2
    exit 1
  fi
  if ms=$(answer_ms); then
    answers=$((answers + 1)) total_ms=$((total_ms + ms))
    ((ms > slowest)) && slowest=$ms
  else
    hangs=$((hangs + 1))
    echo "no answer within 2 s after click $i ($button)" >&2
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
    peak=$(monitor_peak)
    ((peak > loudest)) && loudest=$peak
    if ((peak != 0)); then
      loud=$((loud + 1))
      echo "sound after the stop at click $i (peak $peak)" >&2
    fi
  else
    sleep "0.$((RANDOM % 25 + 5))"
  fi
done
kill -0 "$player" 2>/dev/null || { echo "the player ended" >&2; exit 1; }
echo "mode $mode: $clicks clicks on ${track_seconds} s tracks, $stops stops, $undone undone," \
  "$loud with sound after the stop (loudest $loudest; $playing_peak while playing)," \
  "$hangs without an answer in 2 s (slowest ${slowest} ms, mean $((answers ? total_ms / answers : 0)) ms)," \
  "no abort"
((playing_peak > 0)) || { echo "nothing heard while playing: the sound check hears nothing" >&2; exit 1; }
[[ $undone -eq 0 && $hangs -eq 0 && $loud -eq 0 ]]
