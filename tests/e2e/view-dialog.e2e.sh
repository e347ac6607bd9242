#!/usr/bin/env bash
# shellcheck disable=SC2046,SC2086  # points ("x y") go on as two words
# The view dialog driven as a user would: opened, scrolled by the wheel and the keys (also in the
# tree, also while hidden), resized, hidden three ways and reused. After each step the preview's
# pixels are compared with the dump that the probe draws itself.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

# The probe's view lines as variables: V_main, V_view, V_preview, V_close, V_grip ("<visible>
# <left> <top> <right> <bottom>"), V_rows ("<rows> <hwnd>"), V_caption.
V_main='' V_view='' V_preview='' V_close='' V_grip='' V_rows='' V_caption=''
view_state() {
    local out name rest
    out=$(qs_probe view) || qs_fail "there is no view dialog"
    while read -r name rest; do printf -v "V_$name" '%s' "$rest"; done <<<"$out"
}
click() { xdotool mousemove --sync $1 click --repeat "${2:-1}" --delay 80 "${3:-1}" && sleep 0.5; }
at() { read -r _ l t r b <<<"$1" && echo $(((l + r) / 2)) $(((t + b) / 2)); }
# An action ("key <keys>", "wheel <delta>" posted, "notch" down of the real wheel over the preview,
# or "-"), after which the preview must show the file (- for the empty text) from the given line.
step() {
    case $1 in
        key) xdotool key "$2" ;;
        wheel) qs_probe wheel "$2" ;;
        notch) click "$(at "$V_preview")" 1 5 ;;
    esac
    sleep 0.3
    qs_probe shows "$3" "$4" >/dev/null || qs_fail "$1 $2: the preview is not $3 from line $4"
}
# Clicks the main window's caption, which the viewer (lower down) leaves clear.
activate_main() { click "$(awk '{ print int(($2 + $4) / 2), $3 + 10 }' <<<"$V_main")"; }
# The dialog's size, then each of preview, Close and grip as: width height right-gap bottom-gap.
geometry() {
    awk '{ printf "%d %d", $4 - $2, $5 - $3
           for (i = 6; i <= 16; i += 5)
               printf " %d %d %d %d", $(i+3) - $(i+1), $(i+4) - $(i+2), $4 - $(i+3), $5 - $(i+4)
           print "" }' <<<"$V_view $V_preview $V_close $V_grip"
}
drag() {  # the grip by dx dy
    xdotool mousemove --sync $(at "$V_grip") mousedown 1 mousemove_relative --sync -- $1 $2 mouseup 1
    sleep 0.5 && view_state
}

# An empty path first: the template's caption and the empty text. The main window's codes hold.
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
qs_keys Tab Right && qs_tree_settled >/dev/null  # the tree takes the focus and opens its root
bootmgr=${QS_VOLUME}bootmgr lines=410
click "$(qs_probe item bootmgr)" 2
view_state
read -r _ ml mt mr mb _ vl vt vr vb <<<"$V_main $V_view"
((vl == (ml + mr) / 2 - (vr - vl) / 2 && vt == (mt + mb) / 2 - (vb - vt) / 2)) ||
    qs_fail "not centred over the main window: $V_view over $V_main"
[ "$V_caption" = "$bootmgr" ] && [ "${V_grip%% *}" = 1 ] || qs_fail "first view: '$V_caption'"
handle=${V_rows#* } rows=${V_rows%% *} opening=$(geometry)
# The wheel (positive delta: up one line; zero or less: down one; one line a message), the keys.
while read -r how what top; do step "$how" "$what" "$bootmgr" "$top"; done <<<"- - 0
notch - 1
wheel 360 0
wheel 0 1
wheel -240 2
key Next $((2 + rows))
key End $((lines - rows))
key Prior $((lines - 2 * rows))
key Home 0
key Down 1
key Up 0"

# Never below the opening size; growing stretches the preview, Close and grip keep their corner.
drag -300 -200
[ "$(geometry)" = "$opening" ] || qs_fail "shrunk below the opening size: $(geometry)"
drag 200 150
read -r w h pw ph rest <<<"$opening"
grown="$((w + 200)) $((h + 150)) $((pw + 200)) $((ph + 150)) $rest"
[ "$(geometry)" = "$grown" ] || qs_fail "grown: $(geometry), expected $grown"
step - - "$bootmgr" 0
sized=$V_view rows=${V_rows%% *}

# "Close" hides; keys in the tree still scroll the hidden preview, and the tree gets them too.
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

# The next file reuses the hidden dialog where it was, at its size; an empty path changes nothing.
click "$(qs_probe item Boot)"
xdotool key Right
sleep 0.5
click "$(qs_probe item BCD)" 2
bcd=${QS_VOLUME}Boot\\BCD
step key Down "$bcd" 1
qs_probe send-view ''
view_state
[ "$V_caption" = "$bcd" ] && [ "$V_view" = "$sized" ] && [ "${V_rows#* }" = "$handle" ] ||
    qs_fail "second view: '$V_caption' at $V_view (was $sized)"
step - - "$bcd" 1

# Esc and the close box hide it too; with it shown, Esc in the tree hides it and ends the program.
xdotool key Escape
sleep 0.3
view_state
[ "${V_view%% *}" = 0 ] || qs_fail "Esc did not hide the dialog"
click "$(qs_probe item BCD)" 2
click "$(qs_probe viewcloser)"
view_state
[ "${V_view%% *}" = 0 ] && [ "${V_rows#* }" = "$handle" ] || qs_fail "the close box did not hide it"
click "$(qs_probe item BCD)" 2
activate_main
xdotool key Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc in the tree ended the program with $QS_RC"
echo PASS
