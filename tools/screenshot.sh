#!/bin/sh
# Starts the built editor on a document inside a virtual X screen and saves a picture of the screen.
#   tools/screenshot.sh [picture.png] [document.mmt]
# BUILD names the build folder (default: build); WAIT the seconds to let the window settle (default: 3);
# QUILLET_LANGUAGE=English starts a copy of the program in a temporary folder whose Tevrano.ini
# names that language (the build's own settings file stays as it is).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
picture=${1:-$build/screenshot.png}
document=${2:-}
if [ -z "$document" ]; then
    for candidate in "$root/samples/demo.mmt" "$build/samples/demo.mmt"; do
        if [ -f "$candidate" ]; then document=$candidate; break; fi
    done
fi
program=$build/bin/quillet
[ -x "$program" ] || { echo "screenshot: $program is not built" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
command -v import >/dev/null || { echo "screenshot: import is missing (Debian package imagemagick)" >&2; exit 1; }

# The inner script runs inside the virtual screen: start, wait, grab, end the editor it started.
inner=$(mktemp)
folder=
trap 'rm -f "$inner"; [ -z "$folder" ] || rm -rf "$folder"' EXIT
if [ -n "${QUILLET_LANGUAGE:-}" ]; then
    folder=$(mktemp -d)
    cp -R "$build/bin/quillet" "$build/bin/Script.txt" "$build/bin/Language" "$folder/"
    sed "s/^language=.*/language=$QUILLET_LANGUAGE/" "$build/bin/Tevrano.ini" >"$folder/Tevrano.ini"
    program=$folder/quillet
fi
cat >"$inner" <<'INNER'
program=$1; picture=$2; wait=$3; document=$4
if [ -n "$document" ]; then "$program" "$document" & else "$program" & fi
pid=$!
sleep "$wait"
import -window root "$picture"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER

mkdir -p "$(dirname "$picture")"
xvfb-run -a -s "-screen 0 1280x800x24" sh "$inner" "$program" "$picture" "${WAIT:-3}" "$document"
echo "screenshot: $picture"
