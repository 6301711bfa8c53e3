#!/usr/bin/env bash
# Kills `hzfix settings set` at random moments, ROUNDS times (300 unless
# given), and checks after each kill that the preferences file holds the
# settings before or after that change, never anything else; at the end one
# more save must leave no temporary file. Prints how the kills fell.
# Usage: bench/settings_kill.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-300}
hzfix=$build/hzfix
[[ -x $hzfix ]] || { echo "bench: $hzfix is missing; build first" >&2; exit 1; }

export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
turn_now() { "$hzfix" settings show | awk '$1 == "turn" { print $2 }'; }

# Kills fall anywhere in a whole run and a little past it.
start=$(date +%s%N)
"$hzfix" settings set --turn 0 >/dev/null
window_ms=$((($(date +%s%N) - start) * 5 / 4 / 1000000 + 1))
turn=0 old=0 new=0 temps=0
for ((round = 1; round <= rounds; round++)); do
  "$hzfix" settings set --turn "$round" >/dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms=$((RANDOM % window_ms)) 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  now=$(turn_now) || { echo "round $round: the settings cannot be read" >&2; exit 1; }
  if [[ $now == "$turn" ]]; then
    old=$((old + 1))
  elif [[ $now == "$round" ]]; then
    new=$((new + 1))
  else
    echo "round $round: turn is $now, neither $turn nor $round" >&2
    exit 1
  fi
  turn=$now
  temps=$((temps + $(find "$XDG_CONFIG_HOME" -name '.hzfix-Prefs.tmp-*' | wc -l)))
done
"$hzfix" settings set --scale 1 >/dev/null
left=$(find "$XDG_CONFIG_HOME" -name '.hzfix-Prefs.tmp-*' | wc -l)
echo "settings_kill: $rounds kills: $old before the save, $new after it;" \
  "temporary files seen after kills: $temps, left after the next save: $left"
((left == 0))
