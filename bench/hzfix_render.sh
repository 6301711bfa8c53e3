#!/usr/bin/env bash
# Times `hzfix render` of a 10-second 1920x1080 clip (drawn once by
# samplegen, kept in the build folder, never committed) and, on the same
# clip with the same encoder settings, ffmpeg's own rotate filter.
# Usage: bench/hzfix_render.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
./scripts/setup --bench
hzfix=$build/hzfix
samplegen=$build/samplegen
for tool in "$hzfix" "$samplegen"; do
  [[ -x $tool ]] || { echo "bench: $tool is missing; build first" >&2; exit 1; }
done

work=$build/bench/hzfix
mkdir -p "$work"
clip=$work/tilted-1080p.mp4
[[ -f $clip ]] || "$samplegen" scene "$clip" --seconds 10 --size 1920x1080 --fps 25 --tilt 3
frames=250
encoder=(--preset veryfast --crf 18)

export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
"$hzfix" settings set --turn 7 --scale 4 >/dev/null

seconds() { local start=$1 end=$2; awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'; }
fps() { awk -v f="$frames" -v s="$1" 'BEGIN { printf "%.1f", f / s }'; }

start=$(date +%s.%N)
"$hzfix" render "$clip" "$work/hzfix.mkv" -y -q --stats "${encoder[@]}" >/dev/null 2>"$work/stats.txt"
end=$(date +%s.%N)
hz=$(seconds "$start" "$end")

start=$(date +%s.%N)
ffmpeg -nostdin -loglevel error -y -i "$clip" -vf "rotate=-2.8*PI/180:bilinear=1,scale=iw*1.08:-2,crop=1920:1080" \
  -c:v libx264 -preset veryfast -crf 18 -c:a copy "$work/ffmpeg.mkv"
end=$(date +%s.%N)
ff=$(seconds "$start" "$end")

echo "clip: $frames frames, 1920x1080, H.264 veryfast CRF 18 into .mkv, audio copied"
echo "hzfix render:      $hz s  $(fps "$hz") fps (whole run)"
sed 's/^/  /' "$work/stats.txt"
echo "ffmpeg rotate:     $ff s  $(fps "$ff") fps"
# The pipeline is judged against its slowest stage timed on its own.
awk '/fps alone/ { if (min == "" || $4 < min) { min = $4; stage = $1 } }
     /^stats:/ { whole = $(NF-1) }
     END { if (min > 0) printf "pipeline at %.0f%% of its slowest stage (%s, %.1f fps)\n", 100 * whole / min, stage, min }' \
  "$work/stats.txt"
