#!/usr/bin/env bash
# The generated descriptions use only what the installed editors' own files
# use: every attribute of a Kdenlive parameter appears on a parameter of the
# same type among Kdenlive's effects, and every Shotcut control, and every
# function of Shotcut's keyframe and rectangle helpers the filter calls, is
# one Shotcut defines. Skipped where the editors are not installed
# (scripts/setup --editors installs them).
set -euo pipefail
editors=$(cd "$1" && pwd)/editors
kdenlive=/usr/share/kdenlive/effects
shotcut=/usr/share/shotcut/qml/modules/Shotcut/Controls
[[ -d $kdenlive && -d $shotcut ]] || { echo "Kdenlive or Shotcut not installed"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# "type attribute" pairs, one a line, of every <parameter> in the files given.
attributes() {
  awk '{
    while (match($0, /<parameter [^>]*>/)) {
      tag = substr($0, RSTART, RLENGTH); $0 = substr($0, RSTART + RLENGTH)
      type = ""
      if (match(tag, / type="[^"]*"/)) type = substr(tag, RSTART + 7, RLENGTH - 8)
      while (match(tag, / [a-zA-Z_]+="/)) {
        print type, substr(tag, RSTART + 1, RLENGTH - 3); tag = substr(tag, RSTART + RLENGTH)
      }
    }
  }' "$@" | sort -u
}
shipped=$(mktemp)
trap 'rm -f "$shipped"' EXIT
attributes "$kdenlive"/*.xml > "$shipped"
while read -r pair; do
  grep -qx "$pair" "$shipped" || fail "no Kdenlive effect has a $pair parameter attribute"
done < <(attributes "$editors/kdenlive/frei0r_horizonfix.xml")
grep -q '<effect [^>]*tag="frei0r.horizonfix"' "$editors/kdenlive/frei0r_horizonfix.xml" ||
  fail "the Kdenlive effect names another service"

for control in $(grep -ho 'Shotcut\.[A-Za-z]* {' "$editors"/shotcut/horizonfix/*.qml | sort -u | tr -d ' {'); do
  grep -q "^${control#Shotcut.} " "$shotcut/qmldir" || fail "Shotcut has no control $control"
done
for call in updateFilter toggleKeyframes getPosition isSimpleKeyframesActive resetSimpleKeyframes \
            initializeSimpleKeyframes; do
  grep -q "$call(" "$editors/shotcut/horizonfix/ui.qml" || continue
  grep -q "function $call(" "$shotcut/KeyframableFilter.qml" || fail "Shotcut's filters have no $call"
done
grep -q "function setHandles(" "$shotcut/RectangleControl.qml" &&
  grep -q "signal rectChanged(" "$shotcut/RectangleControl.qml" ||
  fail "Shotcut's rectangle control has no setHandles or rectChanged"
echo "the descriptions use only what Kdenlive's and Shotcut's own files use"
