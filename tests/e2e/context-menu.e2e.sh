#!/usr/bin/env bash
# The tree's context menus, right-clicked with real X input: the file menu and the folder menu,
# their items told apart by what each does (Copy Path's clipboard, Save As's dialog and copy,
# Properties reaching the shell, which Wine refuses with its own "Error" box); a 0-byte file
# refused; and the product, which finds no volume: its one warning, and the commands on the empty
# path.
. "$(dirname "$0")/e2e-lib.sh"
qs_stage

# Right-clicks the item with that text (or at a point "x y") and picks the menu item `downs`
# Down presses away.
qs_pick() {
    local point=$1
    [[ $1 == *" "* ]] || point=$(qs_probe item "$1") || qs_fail "no item '$1' is shown"
    # shellcheck disable=SC2086
    xdotool mousemove $point sleep 0.2 click 3
    sleep 0.7
    [ -n "${3:-}" ] && qs_screenshot "$3"
    xdotool key $(printf 'Down %.0s' $(seq "$2")) Return
}

# Wine hands its clipboard to X, where xclip reads it.
expect_clipboard() {
    local got
    sleep 0.5
    got=$(timeout 5 xclip -o -selection clipboard)
    [ "$got" = "$1" ] || qs_fail "clipboard: expected '$1', got '$got'"
}

# Waits for a window with this exact title, visible to X; prints it.
wait_window() {
    timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -1
}

# Names the file in the Save dialog now open.
save_to() {
    wait_window 'Save As' >/dev/null || qs_fail "no Save dialog"
    sleep 0.3
    [ -n "${2:-}" ] && qs_screenshot "$2"
    xdotool type --delay 10 "Z:$(tr / '\\' <<<"$1")"
    xdotool key Return
}

qs_start "$QS_STAGED_COPY"
qs_wait_main
qs_keys Tab Right # the tree takes the focus and opens its root
qs_tree_settled >/dev/null
volume=$QS_SCRATCH/volume
tree=$(qs_tree_settled)

qs_pick bootmgr 2 "$QS_SCRATCH/file-menu.png"
expect_clipboard "${QS_VOLUME}bootmgr"
qs_pick Boot 1 "$QS_SCRATCH/folder-menu.png"
expect_clipboard "${QS_VOLUME}Boot"

# Properties is the folder menu's second item and the file menu's fourth.
for pick in "Boot 2" "bootmgr 4"; do
    # shellcheck disable=SC2086
    qs_pick $pick
    shell=$(wait_window Error) || qs_fail "Properties ($pick) did not reach the shell"
    xdotool windowfocus --sync "$shell" key Return 2>/dev/null
    sleep 0.5
done
[ "$(qs_probe tree)" = "$tree" ] || qs_fail "the tree changed"

# Save As writes the copy; then a 0-byte file is refused after the dialog, its target kept.
copy=$QS_SCRATCH/copy.bin
qs_pick bootmgr 3
save_to "$copy" "$QS_SCRATCH/save-as.png"
sleep 1
cmp "$volume/bootmgr" "$copy" || qs_fail "the copy differs from bootmgr"
qs_pick BOOTNXT 3
save_to "$copy"
sleep 1
xdotool key Return # "Yes" in the dialog's question: replace the existing file
qs_expect_box "Selected file is empty"
cmp "$volume/bootmgr" "$copy" || qs_fail "the refused copy touched the existing target"
[ "$(ls "$QS_SCRATCH" | grep -c '\.tmp$')" = 0 ] || qs_fail "a temporary file was left behind"
qs_pick bootmgr 1 # View, the file menu's first item
sleep 1
[ "$(qs_probe view | grep '^caption')" = "caption ${QS_VOLUME}bootmgr" ] || qs_fail "View did not show bootmgr"
xdotool key Escape && sleep 0.5 # hides the viewer
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"

# The product finds no volume on Wine: one warning, an empty tree, so nothing is selected: the
# file menu, and its commands on the empty path.
qs_start "$QS_PROGRAM"
qs_wait_main
qs_expect_box "The hidden system drive was not found" "$QS_SCRATCH/not-found.png"
tree=$(qs_tree_settled)
[ "$tree" = "count 0" ] || qs_fail "the tree is not empty: $tree"
eval "$(xdotool getwindowgeometry --shell "$QS_WINDOW")" # X, Y: the window's corner
qs_pick "$((X + 150)) $((Y + 150))" 2
expect_clipboard ""
qs_pick "$((X + 150)) $((Y + 150))" 3
save_to "$QS_SCRATCH/nothing.bin"
qs_expect_box "Can't open selected file"
[ ! -e "$QS_SCRATCH/nothing.bin" ] || qs_fail "a target was made for the empty path"
qs_pick "$((X + 150)) $((Y + 150))" 1
sleep 1
[ "$(qs_probe view | grep '^caption')" = "caption Dialog" ] || qs_fail "View of nothing loaded something"
xdotool key Escape && sleep 0.5
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the product with $QS_RC"
echo PASS
