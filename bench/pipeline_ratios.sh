#!/usr/bin/env bash
# What the effect and its conversions add to a render: `hzfix render` of a
# drawn clip (turned 2 degrees, enlarged, moved) against plain ffmpeg on the
# same clip with the same encoder settings (decoding and encoding only), at
# each preset, as ratios of wall time and of processor time; and hzfix's
# peak memory against ffmpeg turning the picture with its rotate filter.
# One run of each: the ratios, not the seconds, are what carry over.
# Clips are drawn once by samplegen and kept in the build folder.
# Usage: bench/pipeline_ratios.sh [BUILD_DIR] [SIZE:SECONDS ...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(1920x1080:10 3840x2160:4)
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

# Runs a command; sets wall, cpu (seconds) and peak (MiB).
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
    { cat "$work/stderr.txt" >&2; exit 1; }
  read -r wall user sys kib <"$work/time.txt"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  peak=$((kib / 1024))
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%-10s %-9s  %-28s  %-28s  %s\n' size preset "wall s (hzfix/ffmpeg)" \
  "processor s (hzfix/ffmpeg)" "peak MiB (hzfix/ffmpeg rotate)"
for entry in "${sizes[@]}"; do
  size=${entry%%:*} seconds=${entry##*:}
  w=${size%x*} h=${size#*x}
  clip=$work/tilted-$size-${seconds}s.mp4
  [[ -f $clip ]] || "$samplegen" scene "$clip" --seconds "$seconds" --size "$size" --fps 25 --tilt 3

  measure ffmpeg -nostdin -loglevel error -y -i "$clip" \
    -vf "rotate=-2*PI/180:bilinear=1,scale=iw*1.1:-2,crop=$w:$h" \
    -c:v libx264 -preset veryfast -crf 18 -c:a copy "$work/rotate.mkv"
  rotatePeak=$peak
  for preset in veryfast ultrafast; do
    measure "$hzfix" render "$clip" "$work/hzfix.mkv" -y -q --preset "$preset" --crf 18
    hzWall=$wall hzCpu=$cpu hzPeak=$peak
    measure ffmpeg -nostdin -loglevel error -y -i "$clip" \
      -c:v libx264 -preset "$preset" -crf 18 -c:a copy "$work/plain.mkv"
    printf '%-10s %-9s  %-28s  %-28s  %s\n' "$size" "$preset" \
      "$(ratio "$hzWall" "$wall") ($hzWall/$wall)" "$(ratio "$hzCpu" "$cpu") ($hzCpu/$cpu)" \
      "$(ratio "$hzPeak" "$rotatePeak") ($hzPeak/$rotatePeak)"
  done
done
