#!/usr/bin/env bash
# A Kdenlive project and a Shotcut project, as each editor saves them, with
# the effect on a clip and its turn keyframed from none at frame 0 to 15
# steps at frame 24, render with melt: frame 0, the middle frame and the
# last are those of the effect with the turn those frames' keyframes give.
set -euo pipefail
plugin_dir=$(cd "$1" && pwd)
projects=$(cd "$(dirname "$0")/projects" && pwd)
export FREI0R_PATH=$plugin_dir
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# The projects name clip.mkv beside themselves: 320x180, 25 frames.
ffmpeg -v error -f lavfi -i testsrc2=s=320x180:r=25:d=1 -c:v ffv1 clip.mkv
cp "$projects"/levelled.kdenlive "$projects"/levelled.mlt .

# render NAME MELT_ARGUMENTS...: NAME.rgba
render() {
  local name=$1
  shift
  melt -quiet "$@" -consumer avformat:"$name.rgba" f=rawvideo pix_fmt=rgba real_time=0 >/dev/null 2>&1
}
size=$((320 * 180 * 4))
frame() { tail -c +$(($2 * size + 1)) "$1" | head -c $size | md5sum; }

# The same clip with the turn held at 0, 7.5 and 15 steps (frame 12 lies
# halfway, and the effect turns between whole steps).
# (turn = (225 + steps) / 450).
for held in 0:0.5 7.5:0.5166667 15:0.5333333; do
  render "held${held%:*}" clip.mkv -filter frei0r.horizonfix turn="${held#*:}" scale=0.28
done
[[ $(frame held0.rgba 24) != $(frame held15.rgba 24) ]] || fail "a turn of 15 steps changed nothing"

for project in levelled.kdenlive levelled.mlt; do
  render "$project" "$project" || fail "melt cannot render $project"
  [[ $(stat -c %s "$project.rgba") -eq $((25 * size)) ]] || fail "$project: not 25 frames"
  [[ $(frame "$project.rgba" 0) == $(frame held0.rgba 0) ]] || fail "$project: frame 0 is turned"
  [[ $(frame "$project.rgba" 12) == $(frame held7.5.rgba 12) ]] ||
    fail "$project: frame 12 is not turned by 7.5 steps"
  [[ $(frame "$project.rgba" 24) == $(frame held15.rgba 24) ]] ||
    fail "$project: frame 24 is not turned by 15 steps"
done
echo "Kdenlive's and Shotcut's projects render with melt and follow the keyframed turn"
