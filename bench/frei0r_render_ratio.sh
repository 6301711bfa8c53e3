#!/usr/bin/env bash
# A whole render through the frei0r filter against the same render by
# hzfix: ffmpeg -vf frei0r=horizonfix against hzfix render, one drawn clip,
# the same settings and encoder settings, as ratios of wall and processor
# time, with where ffmpeg's time goes (decoding and encoding alone, then
# with the conversions to frei0r's RGBA and back, then with the effect).
# Usage: [ROUNDS=N] bench/frei0r_render_ratio.sh [BUILD_DIR] [SIZE:SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
entry=${2:-1920x1080:10}
rounds=${ROUNDS:-3}
hzfix=$build/hzfix
samplegen=$build/samplegen
for tool in "$hzfix" "$samplegen" "$build/horizonfix.so"; do
  [[ -e $tool ]] || { echo "bench: $tool is missing; build first" >&2; exit 1; }
done
work=$build/bench/frei0r
mkdir -p "$work"
source bench/measure.sh
export FREI0R_PATH=$(cd "$build" && pwd)
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

size=${entry%%:*} seconds=${entry##*:}
clip=$work/tilted-$size-${seconds}s.mp4
[[ -f $clip ]] || "$samplegen" scene "$clip" --seconds "$seconds" --size "$size" --fps 25 --tilt 3
settings=(--turn 5 --scale 10 --move-x -2 --move-y 3)
filter=$("$hzfix" settings show --as ffmpeg "${settings[@]}")
encoder=(-c:v libx264 -preset veryfast -crf 18 -an)

ffmpeg_run() { measure ffmpeg -nostdin -loglevel error -y -i "$clip" "$@" "${encoder[@]}" "$work/f.mkv"; }
plain=() converted=() effect=() hz=() hzcpu=() fcpu=()
echo "$rounds rounds, $size, ${seconds}s; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 0; r < rounds; ++r)); do
  ffmpeg_run
  plainWall=$wall
  ffmpeg_run -vf format=rgba,format=yuv420p
  convertedWall=$wall
  ffmpeg_run -vf "$filter"
  effectWall=$wall effectCpu=$cpu
  measure "$hzfix" render "$clip" "$work/h.mkv" -y -q --defaults "${settings[@]}" \
    --fade-in 0 --fade-out 0 --preset veryfast --crf 18 -c:a copy
  plain+=("$plainWall") converted+=("$convertedWall") effect+=("$effectWall")
  hz+=("$(ratio "$effectWall" "$wall")") hzcpu+=("$(ratio "$effectCpu" "$cpu")")
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
echo "ffmpeg -vf frei0r / hzfix render: wall $(spread "${hz[@]}"), processor $(spread "${hzcpu[@]}")"
echo "ffmpeg, median wall seconds: decode and encode $(median "${plain[@]}")," \
  "with RGBA conversions $(median "${converted[@]}"), with the effect $(median "${effect[@]}")"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
