#!/usr/bin/env bash
# ffmpeg, GStreamer and melt each run horizonfix.so on the same pictures,
# with the settings as `hzfix settings show --as` spells them for each: all
# three give the bytes hzfix render gives (the pictures are RGB, so no
# colour conversion stands between them), and a keyframed turn in melt
# changes the picture from frame to frame.
set -euo pipefail
plugin_dir=$(cd "$1" && pwd)
export FREI0R_PATH=$plugin_dir
hzfix=$plugin_dir/hzfix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export XDG_CONFIG_HOME=$work/config
fail() { echo "FAIL: $*" >&2; exit 1; }

size=64x48
ffmpeg -v error -f lavfi -i testsrc2=s=$size:r=25:d=0.4 -f rawvideo -pix_fmt rgba in.rgba
ffmpeg -v error -f rawvideo -pix_fmt rgba -s $size -r 25 -i in.rgba -c:v png in.mkv

settings=(--turn 5 --scale 10 --move-y -3 --background '#336699')
ffmpeg_filter=$("$hzfix" settings show --as ffmpeg "${settings[@]}")
read -ra melt_filter <<<"$("$hzfix" settings show --as melt "${settings[@]}")"
"$hzfix" render in.mkv hzfix.mkv -q "${settings[@]}" --fade-in 0 --fade-out 0 -c:v ffv1 >/dev/null
ffmpeg -v error -i hzfix.mkv -f rawvideo -pix_fmt rgba hzfix.rgba

ffmpeg -v error -f rawvideo -pix_fmt rgba -s $size -r 25 -i in.rgba \
  -vf "$ffmpeg_filter" -f rawvideo -pix_fmt rgba ffmpeg.rgba
# GStreamer takes the same names as melt; its colours are three numbers.
gst_props=()
for arg in "${melt_filter[@]:2}"; do
  [[ $arg == background=* ]] || gst_props+=("$arg")
done
gst-launch-1.0 -q filesrc location=in.rgba ! rawvideoparse format=rgba width=64 height=48 \
  framerate=25/1 ! frei0r-filter-horizonfix "${gst_props[@]}" background-r=0.2 \
  background-g=0.4 background-b=0.6 ! filesink location=gst.rgba
melt -quiet in.mkv "${melt_filter[@]}" \
  -consumer avformat:melt.rgba f=rawvideo pix_fmt=rgba real_time=0 >/dev/null 2>&1

cmp -s ffmpeg.rgba in.rgba && fail "ffmpeg left the pictures as they were"
cmp -s ffmpeg.rgba hzfix.rgba || fail "ffmpeg's frames differ from hzfix render's"
cmp -s gst.rgba hzfix.rgba || fail "GStreamer's frames differ from hzfix render's"
cmp -s melt.rgba hzfix.rgba || fail "melt's frames differ from hzfix render's"

# A turn keyframed from none at frame 0 to 5 steps at frame 9.
keyed=("${melt_filter[@]}")
for i in "${!keyed[@]}"; do
  [[ ${keyed[i]} == turn=* ]] && keyed[i]="turn=0=0.5;9=${keyed[i]#turn=}"
done
melt -quiet in.mkv "${keyed[@]}" \
  -consumer avformat:keyed.rgba f=rawvideo pix_fmt=rgba real_time=0 >/dev/null 2>&1
frame=$((64 * 48 * 4))
first() { head -c $frame "$1"; }
last() { tail -c +$((9 * frame + 1)) "$1" | head -c $frame; }
[[ $(last keyed.rgba | md5sum) == $(last melt.rgba | md5sum) ]] ||
  fail "the keyframed turn does not reach 5 steps at frame 9"
[[ $(first keyed.rgba | md5sum) != $(first melt.rgba | md5sum) ]] ||
  fail "the keyframed turn is already 5 steps at frame 0"
echo "ffmpeg, GStreamer and melt: hzfix render's frames; melt's keyframes followed"
