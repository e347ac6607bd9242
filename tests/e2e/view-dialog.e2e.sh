#!/usr/bin/env bash
# The view dialog, driven as a user would: opened by a double-click, scrolled by the wheel and the
# keys (also those pressed in the tree, also while it is hidden), resized by its grip, hidden by
# "Close", Esc and its close box, reused for the next file. After each step the preview's pixels
# are compared with the dump that the probe draws itself.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

# The view dialog's state as variables: V_view, V_preview, V_close, V_grip ("<visible> <left>
# <top> <right> <bottom>"), V_centred, V_rows ("<rows> <hwnd>"), V_caption.
V_view='' V_preview='' V_close='' V_grip='' V_centred='' V_rows='' V_caption=''
view_state() {
    local out name rest
    out=$(qs_probe view) || qs_fail "there is no view dialog"
    while read -r name rest; do printf -v "V_$name" '%s' "$rest"; done <<<"$out"
}
click() {  # "x y" [clicks] [button]
    local p
    read -r -a p <<<"$1"
    xdotool mousemove --sync "${p[@]}" click --repeat "${2:-1}" --delay 80 "${3:-1}"
    sleep 0.5
}
at() { read -r _ l t r b <<<"$1" && echo $(((l + r) / 2)) $(((t + b) / 2)); }
# One user action ("key <keys>", "wheel <delta>" posted, "notch down" of the real wheel over the
# preview), then the preview must show the file (or - for the empty text) from the given line.
step() {
    case $1 in
        key) xdotool key "$2" ;;
        wheel) qs_probe wheel "$2" ;;
        notch) click "$(at "$V_preview")" 1 5 ;;
    esac
    sleep 0.3
    qs_probe shows "$3" "$4" >/dev/null || qs_fail "$1 $2: the preview is not $3 from line $4"
}
# The main window's caption, left of its close box: clear of the viewer, which lies lower.
activate_main() {
    local p
    read -r -a p <<<"$(qs_probe closer)"
    click "$((p[0] - 100)) ${p[1]}"
}
# Drags the grip by (dx, dy).
drag() {
    local p
    read -r -a p <<<"$(at "$V_grip")"
    xdotool mousemove --sync "${p[@]}" mousedown 1 mousemove --sync $((p[0] + $1)) $((p[1] + $2)) \
        mouseup 1
    sleep 0.5
    view_state
}
# The dialog's size, then each of preview, Close and grip as: width height right-gap bottom-gap.
geometry() {
    awk '{ printf "%d %d", $4 - $2, $5 - $3
           for (i = 6; i <= 16; i += 5)
               printf " %d %d %d %d", $(i+3) - $(i+1), $(i+4) - $(i+2), $4 - $(i+3), $5 - $(i+4)
           print "" }' <<<"$V_view $V_preview $V_close $V_grip"
}

# A first request with an empty path shows the dialog as its template made it; the program still
# ends with the main dialog's code while the viewer is open.
qs_start "$QS_STAGED_COPY"
qs_wait_main
qs_probe send-view ''
view_state
[ "$V_caption" = Dialog ] && [ "${V_view%% *}" = 1 ] || qs_fail "empty first view: '$V_caption'"
step - - - 0
activate_main
xdotool key Return
qs_wait_exit
[ "$QS_RC" = 1 ] || qs_fail "Enter in the main window ended the program with $QS_RC"

qs_start "$QS_STAGED_COPY"
qs_wait_main
qs_tree_settled >/dev/null
click "$(qs_probe expander)"
bootmgr=${QS_VOLUME}bootmgr
click "$(qs_probe item bootmgr)" 2
view_state
[ "$V_caption" = "$bootmgr" ] && [ "$V_centred" = 1 ] && [ "${V_grip%% *}" = 1 ] ||
    qs_fail "first view: '$V_caption', centred $V_centred, grip $V_grip"
step - - "$bootmgr" 0
handle=${V_rows#* } rows=${V_rows%% *} opening=$(geometry) lines=410

# The wheel (up one line for a positive delta, down one for zero or less, one line per message)
# and the scroll keys, pressed in the dialog.
while read -r how what top; do step "$how" "$what" "$bootmgr" "$top"; done <<<"notch down 1
wheel 360 0
wheel 0 1
wheel -240 2
key Next $((2 + rows))
key End $((lines - rows))
key Prior $((lines - 2 * rows))
key Home 0
key Down 1
key Up 0"

# Resizing: never below the opening size; growing stretches the preview and keeps "Close" and the
# grip at their distances from the bottom-right corner.
drag -300 -200
[ "$(geometry)" = "$opening" ] || qs_fail "shrunk below the opening size: $(geometry)"
drag 200 150
read -r cw ch pw ph rest <<<"$opening"
expected="$((cw + 200)) $((ch + 150)) $((pw + 200)) $((ph + 150)) $rest"
[ "$(geometry)" = "$expected" ] || qs_fail "grown: $(geometry), expected $expected"
step - - "$bootmgr" 0
sized=$V_view rows=${V_rows%% *}

# "Close" hides; the keys pressed in the tree still scroll the hidden preview and move the tree.
click "$(at "$V_close")"
view_state
[ "${V_view%% *}" = 0 ] || qs_fail "Close did not hide the dialog"
click "$(qs_probe item bootmgr)"
while read -r key selected top; do
    step key "$key" "$bootmgr" "$top"
    [ "$(qs_probe selected)" = "$selected" ] || qs_fail "the tree did not take $key"
done <<<"Down BOOTNXT 1
End BOOTNXT $((lines - rows))
Up bootmgr $((lines - rows - 1))
Home $QS_VOLUME 0"

# A second file reuses the hidden dialog at its place and size; an empty path changes nothing.
click "$(qs_probe item Boot)"
xdotool key Right
sleep 0.5
click "$(qs_probe item BCD)" 2
view_state
bcd=${QS_VOLUME}Boot\\BCD
[ "$V_caption" = "$bcd" ] && [ "$V_view" = "$sized" ] && [ "${V_rows#* }" = "$handle" ] ||
    qs_fail "second view: '$V_caption' at $V_view (was $sized)"
xdotool key Down
qs_probe send-view ''
view_state
[ "$V_caption" = "$bcd" ] || qs_fail "an empty path changed the caption to '$V_caption'"
step - - "$bcd" 1

# Esc and the close box hide the dialog too; it comes back on the next View.
xdotool key Escape
sleep 0.3
view_state
[ "${V_view%% *}" = 0 ] && qs_probe main >/dev/null || qs_fail "Esc did not just hide the dialog"
click "$(qs_probe item BCD)" 2
click "$(qs_probe viewcloser)"
view_state
[ "${V_view%% *}" = 0 ] && [ "${V_rows#* }" = "$handle" ] || qs_fail "the close box did not hide it"

# With the viewer shown again, Esc in the tree hides it and closes the program with code 2.
click "$(qs_probe item BCD)" 2
activate_main
xdotool key Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc in the tree ended the program with $QS_RC"
echo PASS
