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
# time_one <command...>: the command's whole run in microseconds, once the
# capture it asked for is on disk.
time_one() {
    local before start end
    before=$(files)
    start=$(now_us)
    "$@" >/dev/null
    end=$(now_us)
    for _ in $(seq 600); do (($(files) > before)) && break; nap 0.02; done
    echo $((end - start))
}

forward=() gdbus_call=()
for ((i = 0; i < runs; i++)); do
    forward+=("$(time_one env -u DISPLAY -u WAYLAND_DISPLAY "$build/quillet" --capture fullscreen)")
    gdbus_call+=("$(time_one gdbus call --session --dest io.quillet.Quillet --object-path /io/quillet/Quillet \
        --method io.quillet.Quillet.Capture.CaptureFullscreen 0)")
done
f=$(printf '%s\n' "${forward[@]}" | median)
g=$(printf '%s\n' "${gdbus_call[@]}" | median)
printf 'forwarding a capture request, median of %d runs each:\n' "$runs"
awk -v f="$f" -v g="$g" 'BEGIN {
    printf "  quillet --capture fullscreen  %8.1f ms\n", f / 1000
    printf "  gdbus call                    %8.1f ms\n", g / 1000
    printf "  ratio                         %8.2f\n", f / g
}'
