#!/usr/bin/env bash
# Measures a full-screen capture to a PNG file by scrot, by maim and by
# Quillet's own grabber and writer, side by side on one private Xvfb that
# shows the same synthetic screen content, and prints the ratios and sizes.
#
#   bench/compare-peers.sh [1920x1080|3840x2160] [runs]
#
# Needs a default build (cmake --preset default && cmake --build build).
# scrot and maim are timed as processes, one run each time, wall clock from
# start to exit; Quillet stays resident in the tray, so its capture is timed
# inside one process (grab + encode + write + close, the median of `runs`).
# Set BUILD_DIR to use another build folder.
set -euo pipefail

size="${1:-1920x1080}"
runs="${2:-15}"
[[ "$size" =~ ^[0-9]+x[0-9]+$ ]] || { echo "usage: $0 [WIDTHxHEIGHT] [runs]" >&2; exit 2; }
root="$(cd "$(dirname "$0")/.." && pwd)"
bench="${BUILD_DIR:-$root/build}/bench"
"$root/bench/install-peers"
for tool in Xvfb scrot maim "$bench/quillet_capture_bench" "$bench/quillet_show_content"; do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh" peers

# -noreset keeps the server (and its state) alive between the peers' clients.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 300); do [[ -s "$work/display" ]] && break; sleep 0.1; done
[[ -s "$work/display" ]] || { echo "$0: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
export QT_QPA_PLATFORM=xcb

"$bench/quillet_show_content" >"$work/content.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do grep -q ready "$work/content.log" && break; sleep 0.1; done
grep -q ready "$work/content.log" || { echo "$0: content viewer did not start" >&2; exit 1; }

now_us() { echo $(( $(date +%s%N) / 1000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# time_tool <name> <output file> <command...>: median wall time in ms, file size in bytes
time_tool() {
    local name="$1" out="$2"; shift 2
    local times=() start
    "$@" >/dev/null 2>&1  # warm the page cache and the server
    for _ in $(seq "$runs"); do
        rm -f "$out"
        start=$(now_us)
        "$@" >/dev/null 2>&1
        times+=($(( $(now_us) - start )))
    done
    local median_us
    median_us=$(printf '%s\n' "${times[@]}" | median)
    printf '%s %s %s\n' "$name" "$(awk -v us="$median_us" 'BEGIN { printf "%.1f", us / 1000 }')" "$(stat -c %s "$out")"
}

results="$work/results"
time_tool scrot "$work/scrot.png" scrot -o "$work/scrot.png" >"$results"
time_tool maim "$work/maim.png" maim "$work/maim.png" >>"$results"

QUILLET_BENCH_DIR="$work" "$bench/quillet_capture_bench" --benchmark_repetitions="$runs" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null >"$work/quillet.csv"
# CSV: name,iterations,real_time,cpu_time,time_unit,...,label,...,bytes
awk -F, -v q='"' '
    NR == 1 { for (i = 1; i <= NF; i++) { gsub(q, "", $i); col[$i] = i }; next }
    $1 ~ /_median"?$/ {
        name = $1; gsub(q, "", name); sub(/\/real_time_median$/, "", name)
        printf "%s %.1f %.0f\n", name, $col["real_time"], $col["bytes"]
    }' "$work/quillet.csv" >"$work/quillet.txt"

value() { awk -v n="$1" -v f="$2" '$1 == n { print $f }' "$work/quillet.txt" "$results"; }
scrot_ms=$(value scrot 2); scrot_bytes=$(value scrot 3)

echo "Full-screen capture to a file on Xvfb $size, median of $runs runs"
printf '%-28s %10s %12s %14s %12s\n' "" "ms" "vs scrot" "bytes" "vs scrot"
row() { # row <label> <ms> [bytes]
    local ratio size_ratio=""
    ratio=$(awk -v a="$2" -v b="$scrot_ms" 'BEGIN { printf "%.3f", a / b }')
    [[ -n "${3:-}" ]] && size_ratio=$(awk -v a="$3" -v b="$scrot_bytes" 'BEGIN { printf "%.3f", a / b }')
    printf '%-28s %10s %12s %14s %12s\n' "$1" "$2" "$ratio" "${3:-}" "$size_ratio"
}
row "scrot (process)" "$scrot_ms" "$scrot_bytes"
row "maim (process)" "$(value maim 2)" "$(value maim 3)"
row "quillet PNG capture-to-file" "$(value BM_CaptureToFile/0 2)" "$(value BM_CaptureToFile/0 3)"
row "  grab" "$(value BM_Grab 2)"
row "  PNG encode" "$(value BM_Encode/0 2)" "$(value BM_Encode/0 3)"
row "  PNG write" "$(value BM_Write/0 2)"
row "quillet JPEG capture-to-file" "$(value BM_CaptureToFile/1 2)" "$(value BM_CaptureToFile/1 3)"
row "  JPEG encode (q 0.9)" "$(value BM_Encode/1 2)" "$(value BM_Encode/1 3)"
row "  JPEG write" "$(value BM_Write/1 2)"
if command -v compare >/dev/null; then
    # The sizes compare fairly only if every tool saved the same pixels.
    for peer in scrot maim; do
        differing=$(compare -metric AE "$work/capture.png" "$work/$peer.png" null: 2>&1 || true)
        echo "pixels that differ between quillet's PNG and $peer's: $differing"
    done
fi
