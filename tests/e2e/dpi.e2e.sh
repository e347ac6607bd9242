#!/usr/bin/env bash
# shellcheck disable=SC2046 # points ("x y") go on as two words
# The staged program on a screen scaled to 150 % (QS_DPI=192: 200 %), in a Wine prefix of its
# own: the tree's images at the system's small-icon size, the file menu opened by the keyboard,
# and the viewer's dump in a font scaled with the screen, pixel for pixel.
QS_PREFIX_NAME=wineprefix-dpi
. "$(dirname "$0")/e2e-lib.sh"
dpi=${QS_DPI:-144}
qs_wine_dpi "$dpi" || exit 1
trap 'qs_cleanup; qs_wine_stop' EXIT
qs_stage

qs_step "start at $dpi DPI"
qs_start "$QS_STAGED_COPY"
qs_wait_main
qs_keys Tab Right
qs_tree_settled >/dev/null
width=$(qs_probe imagewidth)
[ "$width" = $((16 * dpi / 96)) ] || qs_fail "the tree's images are $width pixels wide"

qs_step "the file menu by the keyboard"
xdotool mousemove $(qs_probe item bootmgr) click 1 sleep 0.5 key shift+F10 sleep 0.7

qs_step "view bootmgr"
xdotool key Down Return
sleep 1
out=$(qs_probe shows "${QS_VOLUME}bootmgr" 0) || qs_fail "the preview differs: $out"
[ "${out#* rows }" = "$((14 * dpi / 96 - 1)) pixels apart" ] || qs_fail "rows $out"

qs_step "About"
xdotool key Escape
qs_keys --delay 400 alt+space Up Return
sleep 1
qs_probe about >/dev/null || qs_fail "no About box"

qs_step "close"
xdotool key Escape
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"
echo PASS
