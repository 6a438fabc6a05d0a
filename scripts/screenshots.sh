#!/bin/sh
# The one entry point for screenshots (its program: tools/screenshots/zan_shots): Zan's
# main window (each tab, and layer 2) and dialogs 103, 119, 121, 133 and 140 with a demonstration set and
# simulated remotes, into build/screenshots/, and the pictures the README and the user guide
# show into docs/images/. Runs on a display of its own inside a Wine virtual desktop, so other
# windows never cover the shots and Wine draws the frames. The pictures use a Wine prefix of
# their own whose Japanese fonts stand in for the Windows UI fonts with close metrics, so
# texts fit as they do on a Japanese Windows.
set -e
. "$(dirname "$0")/common.sh"
sh "$ROOT/scripts/setup.sh"
pick_arch
configure_and_build
export WINEPREFIX="$BUILD/wineprefix-shots"
ensure_wine
ensure_windows_fonts
out="$BUILD/screenshots"
mkdir -p "$out"

n=150
while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$n"
i=0
while ! xdpyinfo >/dev/null 2>&1 && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done

shot() {  # shot VIEW NAME
    view=$1
    file="$out/$2.png"
    log=$(mktemp)
    "$WINE" explorer "/desktop=ZanShots$n,1100x900" "$BUILD/bin/zan_shots.exe" "$view" 8000 >"$log" 2>/dev/null &
    launcher=$!
    i=0
    while ! grep -q '^ready' "$log" && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
    rect=$(grep '^ready' "$log" | tr -d '\r' | head -1)
    sleep 0.5
    import -window root "$file"
    if [ -n "$rect" ]; then
        set -- $rect
        x=$2; y=$3
        [ "$x" -lt 0 ] && x=0
        [ "$y" -lt 0 ] && y=0
        convert "$file" -crop "${4}x${5}+${x}+${y}" +repage "$file"
    else
        echo "zan_shots did not show $view; the whole screen was saved" >&2
    fi
    wait $launcher 2>/dev/null || true
    rm -f "$log"
    echo "$file"
}

shot tab0 main_remote
shot tab1 main_nunchuk
shot tab2 main_classic
shot tab3 main_options
shot about dialog_103_about
shot select dialog_119_select_remote
shot options dialog_133_options
shot key dialog_121_key_setting
shot programs dialog_140_program_sets
shot highlight main_highlight
shot layer2 main_layer2

# The pictures of the README and the user guide.
images="$ROOT/docs/images"
mkdir -p "$images"
for pair in main_remote:main_remote main_nunchuk:main_nunchuk main_classic:main_classic \
            main_options:main_options dialog_103_about:dialog_about \
            dialog_119_select_remote:dialog_select_remote dialog_121_key_setting:dialog_key_setting \
            dialog_133_options:dialog_options dialog_140_program_sets:dialog_program_sets \
            main_highlight:main_highlight main_layer2:main_layer2; do
    cp "$out/${pair%%:*}.png" "$images/${pair#*:}.png"
done
echo "README pictures: $images"
