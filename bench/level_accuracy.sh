#!/usr/bin/env bash
# How well hzfix level finds a known turn on real photographs, and how long
# it takes against decoding a whole clip.
#
# Each photograph (scripts/fetch-photos) is made into a one-second clip,
# scaled up and turned clockwise by a known angle, then cut at the centre so
# no uncovered corner gives the angle away. The photographs' own tilt is
# unknown, so what is compared is the turned clip's answer less the unturned
# clip's answer, against the turn. Photographs without a horizon must come
# out without a reliable one, or below the confidence the tool trusts.
#   bench/level_accuracy.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
hzfix=$build/hzfix
samplegen=$build/samplegen
for tool in "$hzfix" "$samplegen"; do
  [[ -x $tool ]] || { echo "level_accuracy: $tool is missing; build first (make build)" >&2; exit 1; }
done
photos=$(scripts/fetch-photos)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

angles=(-7.6 -4.3 -1.7 2.9 6.1)

# Scaled just so a 1280 x 720 window turned by 8 degrees stays inside, as a
# camera's picture would; the same path for the unturned clip.
clip() {  # photo angle out
  ffmpeg -nostdin -loglevel error -y -loop 1 -i "$1" -t 1 -r 25 \
    -vf "scale=1600:-2,rotate=$2*PI/180:ow=1280:oh=720,format=yuv420p" \
    -c:v libx264 -crf 18 -preset veryfast "$3"
}
field() {  # json key
  grep -o "\"$2\": [^,}]*" <<<"$1" | head -1 | sed 's/.*: //'
}
# The best of the sampled frames: the lines that agree with its tilt and its
# confidence, which say more about a refusal than the clip's values (none
# and 0 for a clip without a reliable frame).
best() {  # json key
  grep -o "\"$2\": [0-9.]*" <<<"$1" | tail -n +2 | sed 's/.*: //' | sort -g | tail -1
}
lines() { best "$1" lines; }
frame_conf() { best "$1" confidence; }

errors=()
missed=0
printf '%-12s %7s %9s %7s %6s %6s %5s\n' photo turn found error conf frame lines
for photo in "$photos"/*.jpg; do
  name=$(basename "$photo" .jpg)
  [[ $name == none-* ]] && continue
  clip "$photo" 0 "$work/$name-0.mp4"
  base=$("$hzfix" level "$work/$name-0.mp4" --json --defaults)
  if [[ $(field "$base" reliable) != true ]]; then
    printf '%-12s %7s %9s %7s %6s %6s %5s  (no reliable horizon unturned)\n' "$name" 0 - - \
      "$(field "$base" confidence)" "$(frame_conf "$base")" "$(lines "$base")"
    missed=$((missed + ${#angles[@]}))
    continue
  fi
  t0=$(field "$base" tilt_degrees)
  for a in "${angles[@]}"; do
    clip "$photo" "$a" "$work/$name.mp4"
    r=$("$hzfix" level "$work/$name.mp4" --json --defaults)
    if [[ $(field "$r" reliable) != true ]]; then
      printf '%-12s %7s %9s %7s %6s %6s %5s\n' "$name" "$a" none - "$(field "$r" confidence)" \
        "$(frame_conf "$r")" "$(lines "$r")"
      missed=$((missed + 1))
      continue
    fi
    t=$(field "$r" tilt_degrees)
    e=$(awk -v t="$t" -v t0="$t0" -v a="$a" 'BEGIN { e = t - t0 - a; printf "%.3f", e < 0 ? -e : e }')
    errors+=("$e")
    printf '%-12s %7s %9.3f %7s %6s %6s %5s\n' "$name" "$a" \
      "$(awk -v t="$t" -v t0="$t0" 'BEGIN { print t - t0 }')" "$e" "$(field "$r" confidence)" \
      "$(frame_conf "$r")" "$(lines "$r")"
  done
done
sorted=$(printf '%s\n' "${errors[@]}" | sort -g)
n=${#errors[@]}
median=$(awk -v n="$n" 'NR == int((n + 1) / 2) { a = $1 } NR == int(n / 2) + 1 { b = $1 }
  END { printf "%.3f", n % 2 ? a : (a + b) / 2 }' <<<"$sorted")
echo "turned clips measured: $n, median error $median deg, largest $(tail -1 <<<"$sorted") deg;" \
  "$missed turned clips without an answer"

echo
printf '%-12s %9s %6s %s\n' photo reliable conf trusted-from
for photo in "$photos"/none-*.jpg; do
  name=$(basename "$photo" .jpg)
  clip "$photo" 3.1 "$work/$name.mp4"
  r=$("$hzfix" level "$work/$name.mp4" --json --defaults)
  printf '%-12s %9s %6s %s\n' "$name" "$(field "$r" reliable)" "$(field "$r" confidence)" \
    "$(field "$r" trusted_from)"
done

echo
clip=$work/sea-60s.mp4
"$samplegen" scene "$clip" --seconds 60 --size 1920x1080 --tilt 3 >/dev/null
seconds() { local s=$(date +%s.%N); "$@" >/dev/null 2>&1; awk -v s="$s" -v e="$(date +%s.%N)" 'BEGIN { printf "%.2f", e - s }'; }
decode=$(seconds ffmpeg -nostdin -i "$clip" -f null -)
level=$(seconds "$hzfix" level "$clip" --defaults)
echo "60 s 1080p H.264: ffmpeg decodes it in $decode s, hzfix level measures it in $level s:" \
  "$(awk -v l="$level" -v d="$decode" 'BEGIN { printf "%.3f", l / d }') of the decoding time"
