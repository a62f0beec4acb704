#!/usr/bin/env bash
# Measures the running program from outside, side by side with its peers, on
# one private 1920×1080 Xvfb with openbox and a tray showing the synthetic
# screen content of quillet_show_content:
#   1. the time from the release of Shift+Alt+Super+3 to the finished file
#      (files are renamed into place whole), against scrot's whole run: for
#      captures in a burst, and for single captures after a quiet spell, when
#      Quillet has let go of its grab sessions and encoder buffers;
#   2. the resident memory of quillet idle after start and idle again after
#      the captures (2 × runs + 1), against a Qt tray program with an icon and a
#      menu and nothing else (quillet_minimal_tray), started the same way.
#
#   bench/compare-app.sh [runs]
#
# Needs a default build (scripts/build); installs scrot and maim if missing.
# Set BUILD_DIR to use another build folder.
set -euo pipefail

runs="${1:-10}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [[ -z "${QUILLET_BENCH_DISPLAY:-}" ]]; then
    "$root/bench/install-peers"
    for tool in "$build/quillet" "$build/bench/quillet_minimal_tray" "$build/bench/quillet_show_content"; do
        [[ -x "$tool" ]] || { echo "$0: $tool not found; run scripts/build" >&2; exit 1; }
    done
    QUILLET_BENCH_DISPLAY=1 exec "$root/tests/support/with-x11" --wm --tray --size 1920x1080x24 -- "$0" "$@"
fi

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh" app-bench

# A fork-free sleep, so that waiting for a file takes no CPU from the program measured.
exec {never}<> <(:)
nap() { read -r -t "$1" -u "$never" || true; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_us() { echo "${EPOCHREALTIME/./}"; }

"$build/bench/quillet_show_content" >"$work/content.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do grep -q ready "$work/content.log" && break; nap 0.1; done

# start <program>: runs it with a HOME of its own and waits for its tray icon.
start() {
    local home="$work/home-$(basename "$1")"
    mkdir -p "$home/.config/quillet" "$home/shots"
    printf '{"hasCompletedOnboarding": true, "savePath": "%s"}\n' "$home/shots" >"$home/.config/quillet/defaults.json"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" "$1" >"$home/log" 2>&1 &
    started=$!
    pids+=("$started")
    local w
    for _ in $(seq 600); do
        for w in $(xdotool search --onlyvisible --pid "$started" 2>/dev/null); do
            xprop -id "$w" _XEMBED_INFO | grep -q '_XEMBED_INFO(' && return 0
        done
        nap 0.1
    done
    echo "$0: $1 showed no tray icon" >&2; exit 1
}
rss_kb() { nap 2; awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# capture_ms <shots folder>: one capture from the key's release to its file.
# The clock starts before xdotool does, so the figure includes xdotool's own
# start-up: it is an upper bound.
capture_ms() {
    local t0 shots=$1 files
    rm -f "$shots"/*
    xdotool keydown --delay 0 shift+alt+super+3
    t0=$(now_us)
    xdotool keyup --delay 0 shift+alt+super+3
    shopt -s nullglob
    files=("$shots"/*)
    until ((${#files[@]})); do nap 0.001; files=("$shots"/*); done
    awk -v us="$(( $(now_us) - t0 ))" 'BEGIN { printf "%.1f\n", us / 1000 }'
}

start "$build/bench/quillet_minimal_tray"
floor_kb=$(rss_kb "$started")
start "$build/quillet"
quillet=$started
idle_kb=$(rss_kb "$quillet")
shots="$work/home-quillet/shots"
capture_ms "$shots" >/dev/null # warm the page cache and the server
for _ in $(seq "$runs"); do capture_ms "$shots"; done >"$work/quillet.ms"
# Longer than the two seconds after which the grab sessions and the
# encoder's buffers go.
for _ in $(seq "$runs"); do nap 3; capture_ms "$shots"; done >"$work/quillet-quiet.ms"
# Back to idle: the thumbnail has gone, and the sound's audio stack closes
# ten seconds after the last capture.
nap 10
after_kb=$(rss_kb "$quillet")

scrot -o "$work/scrot.png"
for _ in $(seq "$runs"); do
    t0=$(now_us)
    scrot -o "$work/scrot.png"
    awk -v us="$(( $(now_us) - t0 ))" 'BEGIN { printf "%.1f\n", us / 1000 }'
done >"$work/scrot.ms"

q_ms=$(median <"$work/quillet.ms")
q_quiet_ms=$(median <"$work/quillet-quiet.ms")
s_ms=$(median <"$work/scrot.ms")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "Quillet running in the tray, Xvfb 1920x1080, median of $runs runs"
printf '%-52s %10s %10s %6s\n' "" "value" "vs peer" "goal"
printf '%-52s %8s ms %10s %6s\n' "scrot, whole process" "$s_ms" "" ""
printf '%-52s %8s ms %10s %6s\n' "quillet, release of Shift+Alt+Super+3 to the file" "$q_ms" "$(ratio "$q_ms" "$s_ms")" "0.25"
printf '%-52s %8s ms %10s %6s\n' "  the same, each after 3 s of quiet" "$q_quiet_ms" "$(ratio "$q_quiet_ms" "$s_ms")" "0.25"
printf '%-52s %8s kB %10s %6s\n' "minimal Qt tray program, idle" "$floor_kb" "" ""
printf '%-52s %8s kB %10s %6s\n' "quillet idle after start" "$idle_kb" "$(ratio "$idle_kb" "$floor_kb")" "1.2"
printf '%-52s %8s kB %10s %6s\n' "quillet idle after $((2 * runs + 1)) captures" "$after_kb" "$(ratio "$after_kb" "$floor_kb")" "1.2"
