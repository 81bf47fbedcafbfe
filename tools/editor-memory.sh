#!/bin/sh
# The editor's resident memory with a document open, as a user has it: the built program itself
# (quillet, with everything it loads) started in a virtual X screen, once on the sample document and
# once on a 50-unit document of full units, each time made to show its first unit (Home) and then
# every unit in turn (Down), so that the film strip has scrolled from top to bottom; then VmRSS of
# the process. Prints both and their ratio.
#   tools/editor-memory.sh [BUILD]
# BUILD is a build folder holding bin/quillet, bin/bench_memory (which writes the full document)
# and samples/demo.mmt (default: build-bench). Needs xvfb-run and xdotool.
set -eu

build=${1:-build-bench}
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "editor-memory: $tool is missing (make deps installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen "$build/bin/bench_memory" --write-full-document "$work/full.mmt" 2>/dev/null

# Runs inside the virtual screen: start, let the window settle, walk the strip, read the memory.
cat >"$work/inner.sh" <<'INNER'
program=$1; document=$2; units=$3
"$program" "$document" & pid=$!
window=$(xdotool search --sync --onlyvisible --pid "$pid" | head -1)
sleep 2
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --window "$window" Home
sleep 0.5
i=1
while [ "$i" -lt "$units" ]; do
    xdotool key --window "$window" Down
    sleep 0.05
    i=$((i + 1))
done
sleep 1
awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"
kill "$pid"
wait "$pid" 2>/dev/null || true
INNER

measure() {
    xvfb-run -a -s "-screen 0 1280x1024x24" sh "$work/inner.sh" "$build/bin/quillet" "$1" "$2" 2>/dev/null | tail -1
}
sample=$(measure "$build/samples/demo.mmt" 6)
full=$(measure "$work/full.mmt" 50)
echo "editor memory (VmRSS after showing every unit): sample $((sample / 1024)) MB, 50 full units $((full / 1024)) MB," \
    "ratio $(awk -v f="$full" -v s="$sample" 'BEGIN { printf "%.2f", f / s }')"
