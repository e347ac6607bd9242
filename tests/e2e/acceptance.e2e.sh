#!/usr/bin/env bash
# shellcheck disable=SC2046,SC2086,SC2154 # points ("x y") go on as two words; eval sets variables
# A user's session with the staged program, driven with real X input and checked after every
# step: the tree opened down two folders; files viewed by double-click and by the menu, an empty
# one and one that another program holds; the viewer scrolled by keys, wheel and scroll bar,
# resized, hidden and brought back where it was; Copy Path; Save As, also of an empty file and onto
# a file that can't be replaced; Properties; a folder's Save As (the picker, a held file, the
# progress window and Esc) and the root's Save Listing As; About and its link; Enter closes (1).
# Then short runs: Esc (2)
# and the other ways to close, and the product, which finds no volume. A failure names its step.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage
volume=$QS_SCRATCH/volume HOLD_PID=
# bootmgr begins with known bytes for the copies and holds a string twice for Find.
printf 'Quar\001\376' | dd of="$volume/bootmgr" conv=notrunc status=none
for at in 1000 3000; do
    printf 'Windows Boot Manager' | dd of="$volume/bootmgr" bs=1 seek=$at conv=notrunc status=none
done
truncate -s 3G "$volume/Recovery/zeros.bin"  # slow to search for zeros that end in a one
# Its first bytes once more, further on: a Find from offset 0 must not skip them there.
printf 'Quar' | dd of="$volume/bootmgr" bs=1 seek=2000 conv=notrunc status=none

# The probe's view lines as variables: V_main, V_view, V_preview, V_close, V_grip ("<visible>
# <left> <top> <right> <bottom>"), V_rows ("<rows> <hwnd>"), V_caption.
view_state() {
    local out name rest
    out=$(qs_probe view) || qs_fail "there is no view dialog"
    while read -r name rest; do printf -v "V_$name" '%s' "$rest"; done <<<"$out"
}
point() { qs_probe item "$1" || qs_fail "no item '$1' is shown"; }
click() { xdotool mousemove $1 sleep 0.2 click --repeat "${2:-1}" --delay 80 "${3:-1}" && sleep 0.5; }
at() { read -r _ l t r b <<<"$1" && echo $(((l + r) / 2)) $(((t + b) / 2)); }
# Drags a window ("<visible> <left> <top> <right> <bottom>") by its caption so that its corner
# comes to x y.
move() {
    read -r _ l t r _ <<<"$1"
    xdotool mousemove $(((l + r) / 2)) $((t + 8)) sleep 0.2 mousedown 1 \
        mousemove --sync $(((l + r) / 2 + $2 - l)) $((t + 8 + $3 - t)) mouseup 1
    sleep 0.5
}
# The viewer is shown with this caption, its preview the file $2 (- for the empty text) from line $3
# (and character column $4, with $6 bytes from offset $5 highlighted).
expect_view() {
    local out
    sleep 0.3
    view_state
    [ "${V_view%% *}" = 1 ] || qs_fail "the viewer is hidden"
    [ "$V_caption" = "$1" ] || qs_fail "the viewer's caption is '$V_caption', not '$1'"
    out=$(qs_probe shows "${@:2}") || qs_fail "the preview does not show ${*:2}: $out"
}
expect_hidden() { sleep 0.3 && view_state && [ "${V_view%% *}" = 0 ] || qs_fail "the viewer shows"; }
# Right-clicks the item and picks the menu item that many Down presses away.
pick() {
    local p
    p=$(point "$1") || exit 1
    xdotool mousemove $p sleep 0.2 click 3 sleep 0.7
    [ "$(qs_probe menus | wc -l)" = 1 ] || qs_fail "not one menu open: $(qs_probe menus)"
    xdotool key $(printf 'Down %.0s' $(seq "$2")) Return
}
# Waits for a window with this exact title, visible to X; prints it.
wait_window() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }
# Names the file in the Save dialog now open; "yes" answers the question to replace it.
save_to() {
    wait_window 'Save As' >/dev/null || qs_fail "no Save dialog"
    sleep 0.3
    xdotool type --delay 10 "Z:$(tr / '\\' <<<"$1")"
    xdotool key Return
    [ -z "${2:-}" ] || { sleep 1 && xdotool key Return; }
}
expect_clipboard() {
    local got
    sleep 0.5 && got=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
    [ "$got" = "$1" ] || qs_fail "clipboard: expected '$1', got '$got'"
}
expect_kept() {  # the old copy byte for byte, and nothing left beside it
    cmp -s "$volume/bootmgr" "$copy" || qs_fail "the copy is no longer bootmgr"
    ! compgen -G "$QS_SCRATCH/*.tmp" >/dev/null || qs_fail "a temporary file was left behind"
}
# Holds a file open in another program, sharing nothing, as the system holds some of its own.
hold() {
    wine "$QS_PROBE" hold "Z:$(tr / '\\' <<<"$1")" 60000 >"$QS_SCRATCH/hold.out" 2>&1 </dev/null &
    HOLD_PID=$!
    qs_until 0.2 50 'grep -q held "$QS_SCRATCH/hold.out"' || qs_fail "could not hold $1"
}
release() { [ -z "$HOLD_PID" ] || { kill $HOLD_PID && wait $HOLD_PID; } 2>/dev/null; HOLD_PID=; }
trap 'release; qs_cleanup' EXIT

qs_step "start"
qs_start "$QS_STAGED_COPY"
qs_wait_main
tree=$(qs_tree_settled)
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box appeared"
[ "$tree" = "count 1"$'\n'"item 0 1 0 1 $QS_VOLUME" ] || qs_fail "not one collapsed root: $tree"
layout=$(qs_probe layout) || qs_fail "the main dialog's controls: $layout"
# Off the middle of the screen, where centring on the work area would also put the viewer.
eval "$(qs_probe about)"
move "- $ml $mt $mr $mb" $((300 - (mr - ml) / 2)) $((300 - (mb - mt) / 2))

qs_step "expand the root"
qs_keys Tab Right  # the tree takes the focus from "Close" and opens its first item
tree=$(qs_tree_settled)
children=$(grep '^item 1 ' <<<"$tree")
# Folders (item data 1) first, then files (0); within each group the listing's order.
[ "$(cut -d' ' -f3 <<<"$children" | tr -d '\n')" = 11100 ] || qs_fail "not folders first: $tree"
names=$(cut -d' ' -f6- <<<"$children" | LC_ALL=C sort | tr '\n' ' ')
[ "$names" = '$Recycle.Bin BOOTNXT Boot Recovery bootmgr ' ] || qs_fail "the root holds $names"

qs_step "expand Boot and Boot\\en-US (a double-click on a folder does nothing)"
click "$(point Boot)" 2
[ "$(qs_tree_settled)" = "$tree" ] || qs_fail "the double-click changed the tree"
xdotool key Right sleep 0.5 key Down Right
tree=$(qs_tree_settled)
[ "$(grep -c . <<<"$tree")" = 10 ] && [ "$(grep -A3 ' Boot$' <<<"$tree")" = "item 1 1 1 1 Boot
item 2 1 1 1 en-US
item 3 0 0 0 bootmgr.exe.mui
item 2 0 0 0 BCD" ] || qs_fail "Boot opened as: $tree"

qs_step "view bootmgr by double-click"
bootmgr=${QS_VOLUME}bootmgr lines=410
click "$(point bootmgr)" 2
expect_view "$bootmgr" "$bootmgr" 0
read -r _ ml mt mr mb _ vl vt vr vb <<<"$V_main $V_view"
((vl == (ml + mr) / 2 - (vr - vl) / 2 && vt == (mt + mb) / 2 - (vb - vt) / 2)) ||
    qs_fail "not centred over the main window: $V_view over $V_main"
handle=${V_rows#* } rows=${V_rows%% *}
read -r _ l t r b <<<"$V_preview"
# A screen reader reads the file's name and the lines shown, each as the probe formats it; the
# dump has the focus (focusable, focused, read-only).
eval "$(qs_probe acc preview "$bootmgr")" && ((acc_lines == rows || acc_lines == rows + 1)) &&
    [ "$acc_role $acc_state $acc_name|$acc_description|${#acc_value} $acc_value" = \
        "15 0x00100044 Hex dump of bootmgr|No selection|51 $acc_dump" ] ||
    qs_fail "a screen reader reads: $(qs_probe acc preview)"

# Keys, the real wheel's notches (down, up), posted wheel deltas (more than one notch up, and 0,
# which counts as down, each one line), the scroll bar's arrow and its trough below the thumb.
while IFS='|' read -r name how what top; do
    qs_step "scroll: $name"
    case $how in
        key) xdotool key $what ;;
        wheel) qs_probe wheel $what ;;
        notch) click "$(at "$V_preview")" 1 $what ;;
        click) click "$what" ;;
    esac
    expect_view "$bootmgr" "$bootmgr" $top
done <<<"Page Down|key|Next|$rows
End|key|End|$((lines - rows))
Page Up|key|Prior|$((lines - 2 * rows))
Home|key|Home|0
Down|key|Down|1
Up|key|Up|0
a notch down|notch|5|1
a notch up|notch|4|0
delta 360|wheel|360|0
delta 0|wheel|0|1
the arrow|click|$((r - 10)) $((b - 10))|2
the trough|click|$((r - 10)) $((b - 40))|$((2 + rows))
Home again|key|Home|0"

qs_step "scroll sideways in a viewer narrower than a line"
# 300 pixels hold 42 of a line's 52 cells: the horizontal bar shows, the dump still one cell in
# (column -1); each click on the bar's right arrow (left of the vertical bar) moves it one cell
# left and leaves the rows as they were. From column 0 to 1 the horizontal bar's thumb moves and
# the vertical bar stays as it was.
bars() {
    for crop in "270x12+$((l + 2))+$((b - 15))" "12x$((b - t - 40))+$((l + 284))+$((t + 20))"; do
        import -window root -crop "$crop" rgb:- | md5sum
    done
}
qs_probe narrow 300 >/dev/null
for column in -1 0 1; do
    [ $column = -1 ] || click "$((l + 300 - 27)) $((b - 9))"
    expect_view "$bootmgr" "$bootmgr" 0 $column
    [ $column = 0 ] && before=$(bars)
done
after=$(bars)
[ "${before%%$'\n'*}" != "${after%%$'\n'*}" ] && [ "${before#*$'\n'}" = "${after#*$'\n'}" ] ||
    qs_fail "the scroll bars (horizontal, vertical) went from $before to $after"
qs_probe narrow $((r - l)) >/dev/null
expect_view "$bootmgr" "$bootmgr" 0

qs_step "resize the viewer"
# The size of the dialog, then each of preview, Close and grip as: width height right-gap
# bottom-gap.
geometry() {
    awk '{ printf "%d %d", $4 - $2, $5 - $3
           for (i = 6; i <= 16; i += 5)
               printf " %d %d %d %d", $(i+3) - $(i+1), $(i+4) - $(i+2), $4 - $(i+3), $5 - $(i+4)
           print "" }' <<<"$V_view $V_preview $V_close $V_grip"
}
drag() {  # the grip by dx dy
    xdotool mousemove $(at "$V_grip") sleep 0.2 mousedown 1 mousemove_relative --sync -- $1 $2 \
        mouseup 1
    sleep 0.5 && view_state
}
opening=$(geometry)
drag -300 -200
[ "$(geometry)" = "$opening" ] || qs_fail "shrunk below the opening size: $(geometry)"
drag 200 150
read -r w h pw ph rest <<<"$opening"
grown="$((w + 200)) $((h + 150)) $((pw + 200)) $((ph + 150)) $rest"
[ "$(geometry)" = "$grown" ] || qs_fail "grown to $(geometry), not $grown"
expect_view "$bootmgr" "$bootmgr" 0
# Out of the tree's way, to the screen's lower right.
read -r _ l t r b <<<"$V_view"
move "$V_view" $((1260 - r + l)) $((1004 - b + t))
expect_view "$bootmgr" "$bootmgr" 0
sized=$V_view rows=${V_rows%% *}

# The dump's menu offers its four copies only with bytes selected;
# Select All, Go To and Find always.
expect_copies() {
    local states
    states=$(qs_probe menuitems | cut -d' ' -f1 | tr '\n' ' ')
    [ "$states" = "$1" ] || qs_fail "the menu's items are '$states', not '$1'"
}
qs_step "the dump's menu with nothing selected"
xdotool key shift+F10 sleep 0.7
expect_copies "grey grey grey grey on on on "
xdotool key Escape

# Find, again, around the end and back; by hex bytes; a string that is absent. Go To, and past the
# end. Each box opens with the last text selected, so typing replaces it; a mnemonic picks a kind.
find() {
    xdotool key "$1" && wait_window "$2" >/dev/null || qs_fail "no $2 box"
    xdotool sleep 0.3 type --delay 10 "$3"
    xdotool key ${4:+alt+$4} Return sleep 0.5
}
qs_step "Find a planted string, then F3, F3 around the end, Shift+F3, hex bytes"
w=(ctrl+f Find)
find "${w[@]}" 'Windows Boot Manager'
expect_view "$bootmgr" "$bootmgr" 100 -1 1000 20
for key_top_mark in F3/300/3000 F3/100/1000 shift+F3/300/3000; do
    IFS=/ read -r key top mark <<<"$key_top_mark"
    xdotool key $key
    expect_view "$bootmgr" "$bootmgr" $top -1 $mark 20
done
find "${w[@]}" '57 69 6E 64 6F 77 73' x  # "Windows", a new search from the match at 3000 itself
expect_view "$bootmgr" "$bootmgr" 300 -1 3000 7

qs_step "the match is the selection: Ctrl+C copies it as searched; a string that is absent"
xdotool key ctrl+c
expect_clipboard "57 69 6E 64 6F 77 73"
find "${w[@]}" 'no such text' t
qs_expect_box 'unowned Cannot find "no such text"'
expect_view "$bootmgr" "$bootmgr" 300 -1 3000 7

qs_step "Go To an offset; past the end the box says so and nothing moves"
find ctrl+g 'Go To' 64
expect_view "$bootmgr" "$bootmgr" 10 -1 100 1
find ctrl+g 'Go To' 1000
qs_until 0.25 40 'boxes=$(qs_probe boxes) && [ -n "$boxes" ]'
[[ "$boxes" == *0x1000*4,096* ]] || qs_fail "not the file's size in a box: $boxes"
qs_probe dismiss "$(cut -d' ' -f2 <<<"$boxes")" >/dev/null
# Esc once the box has gone; on a loaded machine an Esc can land before Go To has the keys back
# and be lost, so it is pressed again while Go To is still open.
qs_until 0.25 40 '[ -z "$(qs_probe boxes)" ]' || qs_fail "the box stayed"
qs_until 1 5 '[ -z "$(xdotool search --onlyvisible --name "^Go To\$")" ] || { xdotool key Escape; false; }' ||
    qs_fail "Go To stayed open"
expect_view "$bootmgr" "$bootmgr" 10 -1 100 1

qs_step "Go To in decimal: the offset offered is rewritten, and still means the same place"
xdotool key ctrl+g && wait_window 'Go To' >/dev/null || qs_fail "no Go To box"
xdotool sleep 0.3 key alt+d Return sleep 0.5
expect_view "$bootmgr" "$bootmgr" 10 -1 100 1

qs_step "Go To 0, then Find the bytes there: a new search starts at the selection, itself included"
find ctrl+g 'Go To' 0
expect_view "$bootmgr" "$bootmgr" 0 -1 0 1
find "${w[@]}" Quar t
expect_view "$bootmgr" "$bootmgr" 0 -1 0 4

# Selections: dragged over the hex column, then the character column, each copied as it shows;
# extended with Shift; the menu's Copy Offset and, from Shift+F10, Select All.
drag() {
    xdotool mousemove $(qs_probe cell 0 -1 $1 $3) sleep 0.2 mousedown 1 \
        mousemove --sync $(qs_probe cell 0 -1 $2 $3) sleep 0.2 mouseup 1 sleep 0.5
}
qs_step "select and copy"
xdotool key Home
click "$(qs_probe cell 0 -1 3 blank)"  # the blank after a pair is its byte's
expect_view "$bootmgr" "$bootmgr" 0 -1 3 1
drag 0 3 hex
expect_view "$bootmgr" "$bootmgr" 0 -1 0 4
xdotool key ctrl+c
expect_clipboard "51 75 61 72"
drag 2 5 text
xdotool key ctrl+c
expect_clipboard "ar.."
xdotool keydown shift && click "$(qs_probe cell 0 -1 12 hex)" && xdotool keyup shift
expect_view "$bootmgr" "$bootmgr" 0 -1 2 11
eval "$(qs_probe acc preview)"
[ "$acc_description" = "Selected 0x00000002 to 0x0000000C, 11 bytes" ] ||
    qs_fail "a screen reader reads the selection as '$acc_description'"
click "$(qs_probe cell 0 -1 5 text)" 1 3
[ "$(qs_probe menus | wc -l)" = 1 ] || qs_fail "not one menu open: $(qs_probe menus)"
expect_copies "on on on on on on on "
xdotool key Down Down Down Down Return
expect_clipboard 00000002
xdotool key shift+F10 sleep 0.7
[ "$(qs_probe menus | wc -l)" = 1 ] || qs_fail "Shift+F10 opened no menu"
[ -z "${QS_SHOTS:-}" ] || qs_screenshot "$QS_SCRATCH/dump-menu.png"
xdotool key Down Down Down Down Down Return
expect_view "$bootmgr" "$bootmgr" 0 -1 0 4096

qs_step "hide with Close; keys in the tree still scroll it, Ctrl+F there finds nothing"
click "$(at "$V_close")"
expect_hidden
eval "$(qs_probe acc preview)" && ((acc_state & 0x8000)) || qs_fail "not invisible: $acc_state"
click "$(point bootmgr)"
xdotool key Down ctrl+f sleep 0.5
expect_hidden
[ -z "$(xdotool search --onlyvisible --name '^Find$')" ] || qs_fail "Ctrl+F opened Find"
qs_probe shows "$bootmgr" 1 -1 0 4096 >/dev/null || qs_fail "the hidden preview did not scroll"
[ "$(qs_probe selected)" = BOOTNXT ] || qs_fail "the tree did not take the key"

qs_step "view Boot\\en-US\\bootmgr.exe.mui by the menu, where the viewer was; Tab, Enter"
mui=${QS_VOLUME}Boot\\en-US\\bootmgr.exe.mui
pick bootmgr.exe.mui 1
expect_view "$mui" "$mui" 0
[ "$V_view" = "$sized" ] && [ "${V_rows#* }" = "$handle" ] || qs_fail "not reused: $V_view"
eval "$(qs_probe acc preview)" && ((acc_state & 4)) || qs_fail "Close kept the focus: $acc_state"
xdotool key Tab sleep 0.3  # to "Close", then back to the dump, where Enter still hides
eval "$(qs_probe acc preview)" && ! ((acc_state & 4)) || qs_fail "Tab left the focus: $acc_state"
xdotool key Tab Return
expect_hidden

qs_step "a long search shows its progress in the caption; Esc stops it, the view stays"
click "$(point Recovery)" && xdotool key Right sleep 1
zeros=${QS_VOLUME}Recovery\\zeros.bin
click "$(point zeros.bin)" 2
expect_view "$zeros" "$zeros" 0
# X gives the keys to the window clicked last: a click on the offset column selects nothing.
read -r _ l t _ _ <<<"$V_preview"
click "$((l + 15)) $((t + 15))"
find "${w[@]}" "$(printf '00 %.0s' {1..15})01" x
sleep 1
view_state
[[ "$V_caption" == "Searching… "*" %" ]] || qs_fail "the caption is '$V_caption'"
xdotool key Escape
expect_view "$zeros" "$zeros" 0
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box appeared"

qs_step "view a file another program holds: nothing of the file before, and why"
hold "$volume/Boot/BCD"
click "$(point BCD)" 2
eval "$(qs_probe acc preview)"
[[ "$acc_value" == "Can't open this file: "?* ]] || qs_fail "a screen reader reads '$acc_value'"
expect_view "${QS_VOLUME}Boot\\BCD" "-$acc_value" 0
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box appeared"
release

qs_step "view an empty file"
click "$(point BOOTNXT)" 2
expect_view "${QS_VOLUME}BOOTNXT" - 0

qs_step "hide with the close box, then Esc"
click "$(qs_probe viewcloser)"
expect_hidden
click "$(point bootmgr)" 2
expect_view "$bootmgr" "$bootmgr" 0
xdotool key Escape
expect_hidden

qs_step "Copy Path from the menu that Shift+F10 opens under the file's label"
click "$(point bootmgr)"
xdotool key shift+F10 sleep 0.7
[ "$(qs_probe menus)" = "menu $(qs_probe item bootmgr corner)" ] || qs_fail "menus: $(qs_probe menus)"
xdotool key Down Down Return
expect_clipboard "$bootmgr"

qs_step "Copy Path from the folder menu that the Menu key opens"
click "$(point Boot)"
xdotool key Menu sleep 0.7 key Down Return
expect_clipboard "${QS_VOLUME}Boot"

qs_step "Save As"
copy=$QS_SCRATCH/copy.bin
pick bootmgr 3
save_to "$copy"
sleep 1
expect_kept

qs_step "Save As of an empty file onto the copy"
pick BOOTNXT 3
save_to "$copy" yes
qs_expect_box "Selected file is empty"
expect_kept

qs_step "Save As onto a copy another program holds"
hold "$copy"
pick bootmgr.exe.mui 3
save_to "$copy" yes
qs_expect_box "Can't open target file"
release
expect_kept

qs_step "Properties"
before=$(qs_probe tree)
pick Boot 4  # the folder menu's fourth item
shell=$(wait_window Error) || qs_fail "Properties did not reach the shell"
xdotool windowfocus --sync "$shell" key Return 2>/dev/null
sleep 0.5
[ "$(qs_probe tree)" = "$before" ] || qs_fail "the tree changed"
[ -z "$(qs_probe boxes)" ] || qs_fail "a message box is left"

# A folder's Save As: the picker, a copy that leaves out a held file and says so, then a whole one
# beside it under the next name, file by file with the modified times; a long copy's progress
# window, and Esc; then the root's listing.
out=$QS_SCRATCH/out
mkdir -p "$out"
touch -d '2019-12-07 10:09:00 UTC' "$volume/Boot/BCD"
touch -d '2020-02-29 23:59:58 UTC' "$volume/Boot/en-US/bootmgr.exe.mui"
# Chooses the folder in the picker now opening; with a name, keeps its screen as that PNG.
choose() {
    wait_window 'Choose a Folder for the Copy' >/dev/null || qs_fail "no folder picker"
    sleep 0.5
    [ -z "${2:-}" ] || qs_screenshot "$QS_SCRATCH/$2" >/dev/null
    xdotool type --delay 10 "Z:$(tr / '\\' <<<"$1")"
    xdotool key Return
}
# Names, sizes and modified times below a folder, one line each.
files() {
    (cd "$1" && command find . -mindepth 1 \( -type d -printf '%P\\\n' \) -o -printf '%P %s %Ts\n' | sort)
}
box() {  # waits for the one box; prints its text
    local boxes
    qs_until 0.25 40 'boxes=$(qs_probe boxes) && [ -n "$boxes" ]' || qs_fail "no box"
    echo "${boxes#box * }"
}
dismiss() { qs_probe dismiss "$(qs_probe boxes | cut -d' ' -f2)" >/dev/null && sleep 0.5; }

qs_step "Save As on a folder, through the folder picker, with a file held"
hold "$volume/Boot/BCD"
pick Boot 2
choose "$out" folder-picker.png
text=$(box)
[ "$text" = $'Copied 1 of 2 files. These could not be read:\n\nBCD: Sharing violation.' ] ||
    qs_fail "the box says: $text"
qs_screenshot "$QS_SCRATCH/report-box.png" >/dev/null
dismiss
release
[ "$(files "$out/Boot")" = "$(files "$volume/Boot" | grep -v '^BCD ')" ] ||
    qs_fail "the copy holds: $(files "$out/Boot")"

qs_step "Save As on the same folder: Boot (2), whole, and nothing said"
pick Boot 2
choose "$out"
sleep 2
[ -z "$(qs_probe boxes)" ] || qs_fail "a box: $(qs_probe boxes)"
[ "$(files "$out/Boot (2)")" = "$(files "$volume/Boot")" ] &&
    cmp -s "$volume/Boot/BCD" "$out/Boot (2)/BCD" || qs_fail "Boot (2): $(files "$out/Boot (2)")"

qs_step "Save As on a folder of 3 GiB: the progress window, and Esc"
pick Recovery 2
choose "$out"
[ -n "$(wait_window 'Saving a Copy')" ] || qs_fail "no progress window"
sleep 1
qs_screenshot "$QS_SCRATCH/progress.png" >/dev/null
xdotool key Escape
text=$(box)
want="The copy was cancelled."$'\n'"Copied 0 of 1 files into Z:$(tr / '\\' <<<"$out")\\Recovery."
[ "$text" = "$want" ] || qs_fail "the box says: $text"
dismiss
[ -z "$(ls -A "$out/Recovery")" ] || qs_fail "a part was left: $(ls -A "$out/Recovery")"

qs_step "Save Listing As on the root"
click "$(point "$QS_VOLUME")"
xdotool key Menu sleep 0.7 key Down Down Down Return
wait_window 'Save Listing As' >/dev/null || qs_fail "no Save Listing As dialog"
sleep 0.3
xdotool type --delay 10 "Z:$(tr / '\\' <<<"$out")\\listing"
xdotool key Return
sleep 1
row() {  # path, size, the file whose time it shows
    printf '%s,%s,%s\r\n' "$1" "$2" "$(date -u -d "@$(stat -c %Y "$volume/$3")" +%FT%TZ)"
}
expected=$(printf '\xef\xbb\xbfPath,Size,Modified\r\n'
    for name in $(qs_probe tree | awk '$2 == 1 { print $6 }'); do
        case $name in
            Boot) row 'Boot\' 31672 Boot; row 'Boot\en-US\' 3000 Boot/en-US
                  row 'Boot\en-US\bootmgr.exe.mui' 3000 Boot/en-US/bootmgr.exe.mui
                  row 'Boot\BCD' 28672 Boot/BCD ;;
            Recovery) row 'Recovery\' 3221225472 Recovery
                      row 'Recovery\zeros.bin' 3221225472 Recovery/zeros.bin ;;
            '$Recycle.Bin') row "$name\\" 0 "$name" ;;
            *) row "$name" "$(stat -c %s "$volume/$name")" "$name" ;;
        esac
    done)
[ "$(cat "$out/listing.csv")" = "$expected" ] || qs_fail "the listing: $(cat -A "$out/listing.csv")"

# The About box, opened and closed each way: centred over the main window, which it disables
# and gives back as it was. Its link: nothing right of the text or for a press dragged off it; a
# click, Space and Enter open the address (Wine hands it to the first of its browsers that starts:
# here a script that writes it down) and turn it to the visited colour; each showing starts in the
# link colour; the user's colours come from the registry, a wrong one is passed over.
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
look() { local out rc; out=$(qs_probe about); rc=$?; eval "$out"; return $rc; }
# Waits for the box to show: the link's colour, the addresses opened so far, the focused id.
expect_box() {
    local now='' want=$*
    qs_until 0.2 25 'look && now="$ink $(wc -l <"$opened") $focus" && [ "$now" = "$want" ]'
    [ "$now" = "$*" ] || qs_fail "colour, opened, focus: '$now', not '$*'"
    [ "$bl $bt" = "$(((ml + mr) / 2 - (br - bl) / 2)) $(((mt + mb) / 2 - (bb - bt) / 2))" ] ||
        qs_fail "box at $bl $bt $br $bb, not centred over the main window at $main"
    [ "$enabled" = 0 ] || qs_fail "the main window is not disabled"
    [ "$(sort -u "$opened")" = "$([ "$2" = 0 ] || echo https://www.quarrystone.example/)" ] ||
        qs_fail "opened: $(cat "$opened")"
}
expect_closed() {
    qs_until 0.2 25 '! look' || qs_fail "the box is still open"
    [ "$ml $mt $mr $mb $enabled" = "$main 1" ] || qs_fail "main window $ml $mt $mr $mb $enabled"
    kill -0 "$QS_PID" 2>/dev/null || qs_fail "the program ended"
}
# The link as a screen reader reads it (focusable, a link), then its default action done from there.
read_link() {
    eval "$(qs_probe acc link do)"
    [ "$acc_role $acc_state $acc_name $acc_action $acc_done" = \
        "30 0x00500000 www.quarrystone.example Jump 0x00000000" ] ||
        qs_fail "the link reads: $acc_role $acc_state $acc_name $acc_action $acc_done"
}
look
main="$ml $mt $mr $mb"
while IFS='|' read -r name action expected; do
    qs_step "About: $name"
    eval "$action"
    if [ "$expected" = closed ]; then expect_closed; else expect_box $expected; fi
done <<'STEPS'
opened from the system menu|qs_keys --delay 400 alt+space Up Return|0000ff 0 1
a click right of the text|click "$((lr - 10)) $(((lt + lb) / 2))"|0000ff 0 1
a press on the text released off it|xdotool mousemove $((ll + 40)) $(((lt + lb) / 2)) sleep 0.2 mousedown 1 mousemove --sync $((ll + 40)) $((lb + 25)) mouseup 1|0000ff 0 1002
a click on the text|click "$((ll + 10)) $(((lt + lb) / 2))"|800080 1 1002
Space|xdotool key space|800080 2 1002
Enter|xdotool key Return|800080 3 1002
Esc|xdotool key Escape|closed
the user's colours, opened by the system command E14F|reg add "" 255,0,0; reg add " Visited" 0,128,0; qs_probe syscommand E14F|ff0000 3 1
a click in them|click "$((ll + 10)) $(((lt + lb) / 2))"|008000 4 1002
Alt+F4|xdotool key alt+F4|closed
a wrong colour|reg add "" 255,0; qs_keys --delay 400 alt+space Up Return|0000ff 4 1
read by a screen reader, which does its default action|read_link|008000 5 1
Enter on OK|xdotool key Return|closed
a click on OK|qs_keys --delay 400 alt+space Up Return; expect_box 0000ff 5 1; click "$okx $oky"|closed
STEPS
reg delete ""; reg delete " Visited"
wine reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f </dev/null >/dev/null 2>&1

qs_step "Enter in the tree closes"
qs_keys Return
qs_wait_exit
[ "$QS_RC" = 1 ] || qs_fail "Enter ended the program with $QS_RC"

qs_step "short runs: each way to close"
while read -r expected keys; do
    qs_start "$QS_STAGED_COPY"
    qs_wait_main
    qs_keys $keys
    qs_wait_exit
    [ "$QS_RC" = "$expected" ] || qs_fail "$keys ended the program with $QS_RC, not $expected"
done <<'CASES'
2 Escape
1 space
1 Tab Return
2 alt+F4
2 --delay 400 alt+space c
CASES

# The sizes, in a run of their own: the two lines for the root, a folder and a file, each size as
# StrFormatByteSizeW writes it; the size drawn on rows; F5 after a file is added and the free
# space changed in the staged table; Esc right after F5, while it counts.
size_of() { qs_probe bytesize "$1"; }
lines_are() {
    local want="volume $1"$'\n'"selection $2" got
    qs_until 0.25 40 'got=$(qs_probe lines) && [ "$got" = "$want" ]' ||
        qs_fail "the lines read '$got', not '$want'"
}
sum_of() { echo $(($(command find "$volume/$1" -type f -printf '%s+') 0)); }
files_in() { command find "$volume/$1" -type f | wc -l; }
qs_step "sizes: the volume line and the root's, a folder's and a file's lines"
qs_start "$QS_STAGED_COPY"
qs_wait_main
capacity=104857600 free=44040192
total=$(sum_of .)
other=$((capacity - free - total))
((other >= 0)) && other="; $(size_of $other) other" || other=
volume_line="$(size_of $capacity) NTFS volume, $(size_of $free) free"
qs_keys Tab
lines_are "$volume_line" "All files: $(size_of "$total") in $(files_in .) files$other"
qs_keys Right
qs_tree_settled >/dev/null
click "$(point Boot)"
lines_are "$volume_line" "Boot: $(size_of "$(sum_of Boot)") in $(files_in Boot) files"
click "$(point bootmgr)"
lines_are "$volume_line" "bootmgr: $(size_of "$(stat -c %s "$volume/bootmgr")")"

qs_step "sizes: drawn at the right of their rows, gray, and the selected row's in the text colour"
read -r _ gray _ ink _ margin <<<"$(qs_probe rowsize BOOTNXT)"
((gray > 10 && margin <= 8)) || qs_fail "BOOTNXT's row: $(qs_probe rowsize BOOTNXT)"
read -r _ gray _ ink _ margin <<<"$(qs_probe rowsize bootmgr)"
((gray == 0 && ink > 10 && margin <= 8)) || qs_fail "bootmgr's row: $(qs_probe rowsize bootmgr)"

qs_step "sizes: F5 after a file is added and the free space changed"
click "$(point Boot)"
qs_keys Right
qs_tree_settled >/dev/null
head -c 5000 /dev/zero >"$volume/Boot/added.bin"
free=41943040
sed -i "s/|104857600|44040192/|104857600|$free/" "$QS_SCRATCH/staged-volumes.txt"
qs_keys F5
volume_line="$(size_of $capacity) NTFS volume, $(size_of $free) free"
lines_are "$volume_line" "Boot: $(size_of "$(sum_of Boot)") in $(files_in Boot) files"
point added.bin >/dev/null
[ "$(qs_probe selected)" = Boot ] || qs_fail "the selection moved to $(qs_probe selected)"

# Linux names stop at 255 bytes: the longest name is ASCII, the one outside the BMP shorter.
qs_step "sizes: names of 254 characters and outside the BMP, whole for a screen reader"
long=$(printf 'n%.0s' $(seq 250)).dat wide=$(printf '\U0001F600%.0s' $(seq 40))
printf abcd >"$volume/Recovery/$long"
printf abcdef >"$volume/Recovery/$wide"
click "$(point Recovery)"
qs_keys F5 Right
qs_tree_settled >/dev/null
for name in "$long" "$wide"; do  # clicked near the label's start: its middle is out of sight
    read -r x y <<<"$(qs_probe item "$name" corner)" || qs_fail "no item '$name' is shown"
    click "$((x + 8)) $((y - 4))"
    lines_are "$volume_line" "$name: $(size_of "$(stat -c %s "$volume/Recovery/$name")")"
done
[ -z "${QS_SHOTS:-}" ] || qs_screenshot "$QS_SCRATCH/long-names.png"
# Scrolled sideways, a row's size is drawn once at the right edge: no pieces left behind.
before=$(qs_probe rowsize BOOTNXT)
qs_probe hscroll 6 && sleep 0.5
[ "$(qs_probe rowsize BOOTNXT)" = "$before" ] ||
    qs_fail "BOOTNXT's row after a sideways scroll: $(qs_probe rowsize BOOTNXT), not $before"
rm "$volume/Recovery/$long" "$volume/Recovery/$wide"

qs_step "sizes: F5 twice, then Esc, each at once: the program ends"
qs_keys F5 F5 Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc after F5 ended the program with $QS_RC"
rm "$volume/Boot/added.bin"

# Nothing is selected in its empty tree: the file menu, and its commands on the empty path.
qs_step "the product finds no volume"
qs_start "$QS_PROGRAM"
qs_wait_main
qs_expect_box "The hidden system drive was not found"
tree=$(qs_tree_settled)
[ "$tree" = "count 0" ] || qs_fail "the tree is not empty: $tree"
eval "$(xdotool getwindowgeometry --shell "$QS_WINDOW")"  # X, Y: the window's corner
empty() { xdotool mousemove $((X + 150)) $((Y + 150)) sleep 0.2 click 3 sleep 0.7 \
    key $(printf 'Down %.0s' $(seq "$1")) Return; }
empty 2
expect_clipboard ""
xdotool key shift+F10 sleep 0.7
[ -z "$(qs_probe menus)" ] || qs_fail "a menu opened with nothing selected"
empty 3
save_to "$QS_SCRATCH/nothing.bin"
qs_expect_box "Can't open selected file"
[ ! -e "$QS_SCRATCH/nothing.bin" ] || qs_fail "a target was made for the empty path"
empty 1
expect_view Dialog - 0
xdotool key Escape
expect_hidden
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the product with $QS_RC"
echo PASS
