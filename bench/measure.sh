# Timing helpers the whole-run benchmarks share; sourced, with $work set.
# measure CMD...: runs it; sets wall, cpu (seconds) and peak (MiB).
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
    { cat "$work/stderr.txt" >&2; exit 1; }
  read -r wall user sys kib <"$work/time.txt"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  peak=$((kib / 1024))
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# The median and range of the ratios given: "1.15 (1.12-1.19)".
spread() {
  printf '%s\n' "$@" | sort -n | awk '{ r[NR] = $1 }
    END { printf "%.2f (%.2f-%.2f)", (NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2), r[1], r[NR] }'
}
