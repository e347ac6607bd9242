#!/usr/bin/env bash
# The About box, driven with real X input: it opens from the system menu (and for the About id
# with the low bits set) centred over the moved main window, which it disables; OK, Enter, Esc
# and Alt+F4 close it and give the main window back as it was. Its link: nothing right of
# the text or for a press dragged off it; a click, Space and Enter open the address (Wine's browser
# hand-off writes it down) and turn it to the visited colour; each showing starts in the link
# colour; the user's colours come from the registry.
# shellcheck disable=SC2154 # the probe's variables come through eval
. "$(dirname "$0")/e2e-lib.sh"
qs_stage
# Wine hands web addresses to winebrowser, which runs the first of its "Browsers" that starts:
# here a script that writes the address down.
opened=$QS_SCRATCH/opened.txt
: >"$opened"
printf '#!/bin/sh\necho "$1" >>"%s"\n' "$opened" >"$QS_SCRATCH/browser"
chmod +x "$QS_SCRATCH/browser"
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$QS_SCRATCH/browser" /f \
    </dev/null >/dev/null 2>&1
# reg add|delete "" (the link colour) or " Visited", and the value to add.
reg() {
    wine reg "$1" 'HKCU\Software\Microsoft\Internet Explorer\Settings' /v "Anchor Color$2" \
        ${3:+/d "$3"} /f </dev/null >/dev/null 2>&1
}
reg delete ""; reg delete " Visited"

# The probe's view as variables (see PrintAbout); false when the box is not shown.
look() {
    local out rc
    out=$(qs_probe about)
    rc=$?
    eval "$out"
    return $rc
}

# Waits for the box to show: the link's colour, the addresses opened so far, the focused id.
expect_box() {
    local now=''
    for _ in $(seq 25); do
        look && now="$ink $(wc -l <"$opened") $focus"
        [ "$now" = "$*" ] && break
        sleep 0.2
    done
    echo "$step: colour, opened, focus: $now"
    [ "$now" = "$*" ] || qs_fail "expected $*"
    [ "$bl $bt" = "$(((ml + mr) / 2 - (br - bl) / 2)) $(((mt + mb) / 2 - (bb - bt) / 2))" ] ||
        qs_fail "box at $bl $bt $br $bb, not centred over the main window at $main"
    [ "$enabled" = 0 ] || qs_fail "the main window is not disabled"
    [ "$(sort -u "$opened")" = "$([ "$2" = 0 ] || echo https://www.quarrystone.example/)" ] ||
        qs_fail "opened: $(cat "$opened")"
}

# Waits for the box to go: the main window as it was, the program running.
expect_closed() {
    for _ in $(seq 25); do
        look || break
        sleep 0.2
    done
    look && qs_fail "$step: the box is still open"
    [ "$ml $mt $mr $mb $enabled" = "$main 1" ] || qs_fail "$step: main window $ml $mt $mr $mb $enabled"
    kill -0 "$QS_PID" 2>/dev/null || qs_fail "$step: the program ended"
}

activate() { xdotool windowfocus --sync "$QS_WINDOW" 2>/dev/null; }
menu() { activate && xdotool key --delay 400 alt+space Up Return; }
click() { xdotool mousemove --sync "$1" "$2" click 1; }

qs_start "$QS_STAGED_COPY"
qs_wait_main
# Dragged by its caption off the middle, where centring on the work area would also put the box.
look
xdotool mousemove --sync $(((ml + mr) / 2)) $((mt + 8)) mousedown 1 \
    mousemove --sync $(((ml + mr) / 2 - 200)) $((mt - 80)) mouseup 1
sleep 0.5
look
main="$ml $mt $mr $mb"

step="system menu" && menu && expect_box 0000ff 0 1
y=$(((lt + lb) / 2))
step="click right of the text" && click $((lr - 10)) $y && expect_box 0000ff 0 1
step="press on the text, release off it"
xdotool mousemove --sync $((ll + 40)) $y mousedown 1 mousemove --sync $((ll + 40)) $((lb + 25)) mouseup 1
expect_box 0000ff 0 1002
# Away from the last press, which would make this a double click.
step="click on the text" && click $((ll + 10)) $y && expect_box 800080 1 1002
step="Space" && xdotool key space && expect_box 800080 2 1002
step="Enter" && xdotool key Return && expect_box 800080 3 1002
step="Esc" && xdotool key Escape && expect_closed

reg add "" 255,0,0 && reg add " Visited" 0,128,0 && activate
step="system command E14F" && qs_probe syscommand E14F && expect_box ff0000 3 1
step="click" && click $((ll + 10)) $y && expect_box 008000 4 1002
step="Alt+F4" && xdotool key alt+F4 && expect_closed
reg add "" 255,0
step="two numbers" && menu && expect_box 0000ff 4 1
step="Enter on OK" && xdotool key Return && expect_closed
step="OK" && menu && expect_box 0000ff 4 1 && click "$okx" "$oky" && expect_closed

reg delete ""; reg delete " Visited"
wine reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f </dev/null >/dev/null 2>&1
activate && xdotool key Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"
echo PASS
