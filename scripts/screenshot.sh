#!/bin/sh
# Makes docs/screenshot.png, the README's picture of the editor: a sample archive open and one of its
# textures drawn, on a virtual X server, so that it can be made again whenever the window changes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build-app -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF >/dev/null
cmake --build build-app -j"$(nproc)" --target varnel make_sample_folder

# A scratch working folder: the editor finds Resources/ and config/ in the folder it starts in.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$root/Resources" "$work/Resources"
build-app/tools/make_sample_folder "$work"
printf 'sample.wtd\n' >"$work/config/varnel_ar.arf"

mkdir -p docs
# The screen has no window manager: its background stays black, and trimming the black away from a
# capture of the whole screen leaves exactly the editor's window. The editor reopens the archive before
# its window first shows; once the window is there, a moment more lets the preview draw.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    cd "$1"
    "$2/build-app/varnel" >editor.out 2>&1 &
    editor=$!
    tries=0
    until import -window root screen.png && [ "$(convert screen.png -trim -format %w info: 2>/dev/null)" -gt 100 ]; do
        tries=$((tries + 1))
        if [ "$tries" -ge 60 ]; then
            echo "The editor showed no window; its output:" >&2
            cat editor.out >&2
            kill "$editor"
            exit 1
        fi
        sleep 0.5
    done
    sleep 2
    import -window root screen.png
    kill "$editor"
    convert screen.png -trim +repage -strip "$2/docs/screenshot.png"
' screenshot "$work" "$root"
echo "Wrote docs/screenshot.png"
