#!/usr/bin/env bash
# Measures key press (the command GNOME's keybinding runs) to file on a
# private headless GNOME Shell on Wayland: Quillet against the bare portal
# Screenshot call (its floor) and gnome-screenshot, in one session.
#
#   bench/compare-gnome.sh [runs]
#
# Needs a default build (cmake --preset default && cmake --build build).
set -euo pipefail
runs="${1:-15}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/bench/install-peers"
for tool in gnome-screenshot "$build/quillet" "$build/bench/quillet_gnome_capture_bench"; do
    command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
# Inside the session: Quillet resident with its captures going to a folder
# of their own, then the measurement.
exec "$root/tests/support/with-gnome" --portals -- bash -c '
    set -euo pipefail
    build=$1 runs=$2
    shots=$HOME/shots
    mkdir -p "$shots" "$XDG_CONFIG_HOME/quillet"
    printf "{\"hasCompletedOnboarding\": true, \"savePath\": \"%s\", \"playSound\": false, \"showPreviewThumbnail\": false}" \
        "$shots" >"$XDG_CONFIG_HOME/quillet/defaults.json"
    "$build/quillet" >"$HOME/quillet.log" 2>&1 &
    quillet=$!
    trap "kill $quillet" EXIT
    for _ in $(seq 400); do
        gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.NameHasOwner io.quillet.Quillet | grep -q true && break
        sleep 0.05
    done
    "$build/bench/quillet_gnome_capture_bench" "$build/quillet" "$shots" "$runs"
' bench "$build" "$runs"
