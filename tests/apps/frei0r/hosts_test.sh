#!/usr/bin/env bash
# ffmpeg, GStreamer and melt each run horizonfix.so on the same pictures:
# all three give the same bytes, the effect was applied, and a keyframed
# turn in melt changes the picture from frame to frame.
set -euo pipefail
plugin_dir=$(cd "$1" && pwd)
export FREI0R_PATH=$plugin_dir
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

size=64x48
ffmpeg -v error -f lavfi -i testsrc2=s=$size:r=25:d=0.4 -f rawvideo -pix_fmt rgba in.rgba
ffmpeg -v error -f rawvideo -pix_fmt rgba -s $size -r 25 -i in.rgba -c:v png in.mkv

# turn 5 steps of 450, no move sideways, enlargement 10 of 125 (from -25).
ffmpeg -v error -f rawvideo -pix_fmt rgba -s $size -r 25 -i in.rgba \
  -vf "frei0r=horizonfix:0.5111111|0.5|0.28" -f rawvideo -pix_fmt rgba ffmpeg.rgba
gst-launch-1.0 -q filesrc location=in.rgba ! rawvideoparse format=rgba width=64 height=48 \
  framerate=25/1 ! frei0r-filter-horizonfix turn=0.5111111 scale=0.28 ! filesink location=gst.rgba
melt -quiet in.mkv -filter frei0r.horizonfix turn=0.5111111 scale=0.28 \
  -consumer avformat:melt.rgba f=rawvideo pix_fmt=rgba >/dev/null 2>&1

cmp -s ffmpeg.rgba in.rgba && fail "ffmpeg left the pictures as they were"
cmp -s ffmpeg.rgba gst.rgba || fail "GStreamer's frames differ from ffmpeg's"
cmp -s ffmpeg.rgba melt.rgba || fail "melt's frames differ from ffmpeg's"

# A turn keyframed from none at frame 0 to 5 steps at frame 9.
melt -quiet in.mkv -filter frei0r.horizonfix "turn=0=0.5;9=0.5111111" scale=0.28 \
  -consumer avformat:keyed.rgba f=rawvideo pix_fmt=rgba >/dev/null 2>&1
frame=$((64 * 48 * 4))
first() { head -c $frame "$1"; }
last() { tail -c +$((9 * frame + 1)) "$1" | head -c $frame; }
[[ $(last keyed.rgba | md5sum) == $(last melt.rgba | md5sum) ]] ||
  fail "the keyframed turn does not reach 5 steps at frame 9"
[[ $(first keyed.rgba | md5sum) != $(first melt.rgba | md5sum) ]] ||
  fail "the keyframed turn is already 5 steps at frame 0"
echo "ffmpeg, GStreamer and melt: the same frames; melt's keyframes followed"
