#!/usr/bin/env bash
# Times what a desktop key binding runs to reach the running Quillet: the
# whole `quillet --capture fullscreen` process (without DISPLAY, as a
# forwarder needs none) beside `gdbus call` sending the same request, on a
# private Xvfb and session bus with one Quillet running. Each request's
# capture is saved before the next request goes, so that every run is
# forwarded into an idle Quillet.
#
#   bench/compare-forward.sh [runs]
#
# Needs a default build (scripts/build). Set BUILD_DIR to use another build.
set -euo pipefail

runs="${1:-21}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
if [[ -z "${QUILLET_BENCH_DISPLAY:-}" ]]; then
    "$root/bench/install-peers"
    [[ -x "$build/quillet" ]] || { echo "$0: $build/quillet not found; run scripts/build" >&2; exit 1; }
    QUILLET_BENCH_DISPLAY=1 exec dbus-run-session -- "$root/tests/support/with-x11" --wm --tray -- "$0" "$@"
fi

# shellcheck source=bench/lib.sh
source "$root/bench/lib.sh" forward-bench

exec {never}<> <(:)
nap() { read -r -t "$1" -u "$never" || true; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_us() { echo "${EPOCHREALTIME/./}"; }

home="$work/home"
mkdir -p "$home/.config/quillet" "$home/shots"
printf '{"hasCompletedOnboarding": true, "playSound": false, "showPreviewThumbnail": false, "savePath": "%s"}\n' \
    "$home/shots" >"$home/.config/quillet/defaults.json"
export HOME="$home" XDG_CONFIG_HOME="$home/.config"
"$build/quillet" >"$work/quillet.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do
    gdbus introspect --session --dest io.quillet.Quillet --object-path /io/quillet/Quillet >/dev/null 2>&1 && break
    nap 0.1
done

files() { find "$home/shots" -maxdepth 1 -type f -name '*.png' | wc -l; }
# time_one <command...>: the command's whole run as "wall cpu" in
# milliseconds (cpu: user + system), once the capture it asked for is on disk.
TIMEFORMAT='%3R %3U %3S'
time_one() {
    local before timing
    before=$(files)
    timing=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    for _ in $(seq 600); do (($(files) > before)) && break; nap 0.02; done
    awk '{ printf "%.1f %.1f\n", $1 * 1000, ($2 + $3) * 1000 }' <<<"$timing"
}

: >"$work/forward" >"$work/gdbus"
for ((i = 0; i < runs; i++)); do
    time_one env -u DISPLAY -u WAYLAND_DISPLAY "$build/quillet" --capture fullscreen >>"$work/forward"
    time_one gdbus call --session --dest io.quillet.Quillet --object-path /io/quillet/Quillet \
        --method io.quillet.Quillet.Capture.CaptureFullscreen 0 >>"$work/gdbus"
done
column_median() { cut -d' ' -f"$1" "$2" | median; }
printf 'forwarding a capture request, median of %d runs each (load average %s):\n' "$runs" "$(cut -d' ' -f1 /proc/loadavg)"
printf '                                  wall ms   cpu ms\n'
for which in forward gdbus; do
    label="quillet --capture fullscreen"
    [[ $which == gdbus ]] && label="gdbus call"
    printf '  %-30s %8.1f %8.1f\n' "$label" "$(column_median 1 "$work/$which")" "$(column_median 2 "$work/$which")"
done
awk -v f="$(column_median 1 "$work/forward")" -v g="$(column_median 1 "$work/gdbus")" \
    'BEGIN { printf "  wall-time ratio                %8.2f\n", f / g }'
