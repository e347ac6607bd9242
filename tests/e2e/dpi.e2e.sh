#!/usr/bin/env bash
# shellcheck disable=SC2046 # points ("x y") go on as two words
# The staged program on a screen scaled to 150 % (QS_DPI=192: 200 %), in a Wine prefix of its
# own: the tree's images at the system's small-icon size (our fallbacks, which Wine's shell never
# calls for, in the icon list's own test), the viewer's dump in a font scaled with the screen,
# pixel for pixel, a selection dragged over its scaled cells, and the About picture scaled with it;
# a row's size drawn at the tree's scaled right margin, and the size lines clear of the other
# controls.
QS_PREFIX_NAME=wineprefix-dpi
. "$(dirname "$0")/e2e-lib.sh"
dpi=${QS_DPI:-144}
qs_wine_dpi "$dpi" || exit 1
trap 'qs_cleanup; qs_wine_stop' EXIT
qs_stage

qs_step "the fallback icons at $dpi DPI"
log=$QS_SCRATCH/icons.log
timeout 60 wine "$build/tests/win_tests.exe" --gtest_filter='FileTypeIconsTest.*' >"$log" 2>&1 \
    </dev/null || qs_fail "$(grep -m2 -A1 Failure "$log")"

qs_step "the tree at $dpi DPI"
qs_start "$QS_STAGED_COPY"
qs_wait_main
qs_keys Tab Right
qs_tree_settled >/dev/null
width=$(qs_probe imagewidth)
[ "$width" = $((16 * dpi / 96)) ] || qs_fail "the tree's images are $width pixels wide"

qs_step "the sizes at $dpi DPI: a row's at the tree's right edge, the lines beside Close"
qs_until 0.25 20 'read -r _ gray _ _ _ margin <<<"$(qs_probe rowsize BOOTNXT)" && ((gray > 10))'
((gray > 10 && margin <= 8 * dpi / 96)) || qs_fail "BOOTNXT's row: $(qs_probe rowsize BOOTNXT)"
out=$(qs_probe layout) || qs_fail "the main dialog's controls: $out"

qs_step "view bootmgr"
xdotool mousemove $(qs_probe item bootmgr) click --repeat 2 --delay 80 1 sleep 1
out=$(qs_probe shows "${QS_VOLUME}bootmgr" 0) || qs_fail "the preview differs: $out"
[ "${out#* rows }" = "$((14 * dpi / 96 - 1)) pixels apart" ] || qs_fail "rows $out"

qs_step "a drag over the scaled cells selects what it covers"
xdotool mousemove $(qs_probe cell 0 -1 3 hex) mousedown 1 \
    mousemove --sync $(qs_probe cell 0 -1 14 hex) mouseup 1 sleep 0.5
out=$(qs_probe shows "${QS_VOLUME}bootmgr" 0 -1 3 12) || qs_fail "the selection differs: $out"
xdotool key Escape

qs_step "the About picture"
qs_probe syscommand E14F >/dev/null
qs_until 0.2 25 'size=$(qs_probe picture)' || qs_fail "no About box"
[ "$size" = "$((48 * dpi / 96)) $((48 * dpi / 96))" ] || qs_fail "the picture is $size"
xdotool key Escape
qs_keys Escape
qs_wait_exit
[ "$QS_RC" = 2 ] || qs_fail "Esc ended the program with $QS_RC"
echo PASS
