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
#      menu and nothing else (quillet_minimal_tray), started the same way;
#   3. the same after a mixed session of a fresh quillet with the clipboard
#      copy and the name prompt on: region selections (one cancelled), a
#      window capture, a display capture, each named in the prompt, their
#      previews, then 15 s of quiet; and again once another program owns the
#      clipboard, for while Quillet owns it, it keeps the last image pasteable.
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

# start <program> [home suffix] [settings]: runs it with a HOME of its own
# and waits for its tray icon.
start() {
    local home="$work/home-$(basename "$1")${2:-}"
    mkdir -p "$home/.config/quillet" "$home/shots"
    printf '{"hasCompletedOnboarding": true, %s"savePath": "%s"}\n' "${3:-}" "$home/shots" >"$home/.config/quillet/defaults.json"
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
# The part of it that is the program's own data rather than mapped files
# (libraries' code, fonts), which the kernel can take back and re-read.
anon_kb() { awk '/^Anonymous:/ { print $2 }' "/proc/$1/smaps_rollup"; }
# Its proportional share: pages mapped by several processes (libraries' code,
# fonts) count divided among them.
pss_kb() { awk '/^Pss:/ { print $2 }' "/proc/$1/smaps_rollup"; }

# capture_ms <shots folder>: one capture from the key's release to its file.
# The clock starts before xdotool does, so the figure includes xdotool's own
# start-up: it is an upper bound.
capture_ms() {
    local t0 shots=$1 files
    rm -f "$shots"/*
    xdotool keydown --delay 0 shift+alt+super+3
    nap 0.1 # as long as a person holds a key
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

# The mixed session, by a fresh quillet: the first one goes, so that the keys
# reach only the new one.
kill "$quillet"; wait "$quillet" 2>/dev/null || true
start "$build/quillet" -mixed '"copyToClipboard": true, "promptForFileName": true, '
quillet=$started
shots="$work/home-quillet-mixed/shots"
# until_window <name>: waits for a visible window of quillet's with that name.
until_window() {
    for _ in $(seq 300); do
        xdotool search --onlyvisible --pid "$quillet" --name "$1" >/dev/null 2>&1 && return 0
        nap 0.05
    done
    echo "$0: no window \"$1\"" >&2; exit 1
}
until_files() {
    shopt -s nullglob
    local files
    for _ in $(seq 600); do
        files=("$shots"/*)
        ((${#files[@]} >= $1)) && return 0
        nap 0.05
    done
    echo "$0: $1 files expected in $shots" >&2; exit 1
}
name_it() { until_window "Name Screenshot"; nap 0.3; xdotool type --delay 5 "$1"; xdotool key Return; }
select_region() { # select_region x0 y0 x1 y1
    xdotool key --delay 0 shift+alt+super+4
    nap 1
    xdotool mousemove "$1" "$2" mousedown 1 mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 )) mousemove "$3" "$4" mouseup 1
}
select_region 200 150 900 600; name_it region-one; until_files 1
xdotool key --delay 0 shift+alt+super+4; nap 1; xdotool key Escape; nap 1
# The window capture takes the frontmost window of another program.
xmessage -geometry 480x200+700+300 "Another program's window" &
pids+=($!)
for _ in $(seq 200); do xdotool search --onlyvisible --pid "${pids[-1]}" windowactivate --sync >/dev/null 2>&1 && break; nap 0.05; done
xdotool key --delay 0 shift+alt+super+6; name_it window; until_files 2
xdotool key --delay 0 shift+alt+super+3; name_it display; until_files 3
select_region 300 300 700 500; name_it region-two; until_files 4
nap 15
mixed_kb=$(rss_kb "$quillet")
mixed_anon_kb=$(anon_kb "$quillet")
floor_anon_kb=$(anon_kb "${pids[1]}")
mixed_pss_kb=$(pss_kb "$quillet")
floor_pss_kb=$(pss_kb "${pids[1]}")
echo other | xclip -quiet -selection clipboard >/dev/null 2>&1 &
pids+=($!)
mixed_no_clip_kb=$(rss_kb "$quillet")
floor_again_kb=$(rss_kb "${pids[1]}") # the minimal tray program

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
printf '%-52s %8s kB %10s %6s\n' "minimal Qt tray program, after the session" "$floor_again_kb" "" ""
printf '%-52s %8s kB %10s %6s\n' "quillet after a mixed session and 15 s of quiet" "$mixed_kb" "$(ratio "$mixed_kb" "$floor_again_kb")" "1.2"
printf '%-52s %8s kB %10s %6s\n' "  of which anonymous (tray program: $floor_anon_kb kB)" "$mixed_anon_kb" "$(ratio "$mixed_anon_kb" "$floor_anon_kb")" ""
printf '%-52s %8s kB %10s %6s\n' "  its proportional share (tray program: $floor_pss_kb kB)" "$mixed_pss_kb" "$(ratio "$mixed_pss_kb" "$floor_pss_kb")" ""
printf '%-52s %8s kB %10s %6s\n' "  the same once another program owns the clipboard" "$mixed_no_clip_kb" "$(ratio "$mixed_no_clip_kb" "$floor_again_kb")" ""
