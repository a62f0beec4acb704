# Sourced by the benchmark scripts: a work folder, and the processes started
# into `pids`, all removed on exit, the newest process first.
work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-$1-XXXXXX")
pids=()
cleanup() {
    local i
    for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for i in "${pids[@]}"; do wait "$i" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
