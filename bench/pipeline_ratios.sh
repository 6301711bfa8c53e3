#!/usr/bin/env bash
# What the effect and its conversions add to a render: `hzfix render` of a
# drawn clip (turned 2 degrees, enlarged, moved) against plain ffmpeg on the
# same clip with the same encoder settings (decoding and encoding only), at
# each preset, as ratios of wall time and of processor time; and hzfix's
# peak memory against ffmpeg turning the picture with its rotate filter.
# Each pair is run ROUNDS times (default 3), one right after the other, and
# the median ratio is printed with the range: the ratios, not the seconds,
# are what carry over on a shared machine.
# Clips are drawn once by samplegen and kept in the build folder.
# Usage: [ROUNDS=N] bench/pipeline_ratios.sh [BUILD_DIR] [SIZE:SECONDS ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(1920x1080:10 3840x2160:4)
rounds=${ROUNDS:-3}
./scripts/setup --bench
hzfix=$build/hzfix
samplegen=$build/samplegen
for tool in "$hzfix" "$samplegen"; do
  [[ -x $tool ]] || { echo "bench: $tool is missing; build first" >&2; exit 1; }
done

work=$build/bench/pipeline
mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
"$hzfix" settings set --turn 5 --scale 10 --move-x -2 --move-y 3 >/dev/null

source bench/measure.sh

echo "$rounds rounds each; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-10s %-9s  %-22s  %-22s  %s\n' size preset "wall (hzfix/ffmpeg)" \
  "processor (hzfix/ffmpeg)" "peak memory (hzfix/ffmpeg rotate)"
for entry in "${sizes[@]}"; do
  size=${entry%%:*} seconds=${entry##*:}
  w=${size%x*} h=${size#*x}
  clip=$work/tilted-$size-${seconds}s.mp4
  [[ -f $clip ]] || "$samplegen" scene "$clip" --seconds "$seconds" --size "$size" --fps 25 --tilt 3

  rotatePeaks=()
  for ((r = 0; r < rounds; ++r)); do
    measure ffmpeg -nostdin -loglevel error -y -i "$clip" \
      -vf "rotate=-2*PI/180:bilinear=1,scale=iw*1.1:-2,crop=$w:$h" \
      -c:v libx264 -preset veryfast -crf 18 -c:a copy "$work/rotate.mkv"
    rotatePeaks+=("$peak")
  done
  rotatePeak=$(printf '%s\n' "${rotatePeaks[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p")
  for preset in veryfast ultrafast; do
    walls=() cpus=() peaks=()
    for ((r = 0; r < rounds; ++r)); do
      measure "$hzfix" render "$clip" "$work/hzfix.mkv" -y -q --preset "$preset" --crf 18
      hzWall=$wall hzCpu=$cpu hzPeak=$peak
      measure ffmpeg -nostdin -loglevel error -y -i "$clip" \
        -c:v libx264 -preset "$preset" -crf 18 -c:a copy "$work/plain.mkv"
      walls+=("$(ratio "$hzWall" "$wall")") cpus+=("$(ratio "$hzCpu" "$cpu")")
      peaks+=("$(ratio "$hzPeak" "$rotatePeak")")
    done
    printf '%-10s %-9s  %-22s  %-22s  %s\n' "$size" "$preset" "$(spread "${walls[@]}")" \
      "$(spread "${cpus[@]}")" "$(spread "${peaks[@]}")"
  done
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
