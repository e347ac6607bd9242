# Sourced by tools/wine-exec, ./test, ./run, ./benchmark and the e2e scripts: a quiet private Wine
# prefix, its persistent wineserver, and the one display that server is bound to.
# Usage: qs_wine_prefix PREFIX (then run wine), and qs_wine_stop when done.

qs_wine_env() {
    export WINEPREFIX="$(realpath -m "$1")" WINEARCH=win64 WINEDEBUG=-all
    # No dialogs offering to install Mono or Gecko.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Makes the prefix once and keeps a persistent wineserver for it (without one, every test program
# pays for a server start: about 2.6 s instead of 0.02 s), and exports DISPLAY.
#
# The first program of a server starts Wine's desktop process, which binds the whole session to
# the display it finds then: a server started without a display never shows a window, and one
# whose display goes away loses its windows. So the display comes first, and one display lives as
# long as the server: the caller's DISPLAY, or a private Xvfb when there is none. A watcher that
# waits for the server to end stops that Xvfb. "$PREFIX.session" records the display, the Xvfb
# (if ours) and the watcher, so that later callers without a display join the same session.
qs_wine_prefix() {
    local prefix session
    prefix=$(realpath -m "$1")
    session=$prefix.session
    qs_wine_env "$prefix"
    mkdir -p "$prefix"
    exec 9>"$prefix.lock"
    flock 9

    local display= xvfb= watcher=
    [ -f "$session" ] && read -r display xvfb watcher <"$session"
    if [ -n "$watcher" ] && kill -0 "$watcher" 2>/dev/null &&
        { [ "$xvfb" = - ] || kill -0 "$xvfb" 2>/dev/null; } &&
        { [ -z "${DISPLAY:-}" ] || [ "$DISPLAY" = "$display" ]; }; then
        export DISPLAY=$display
        exec 9>&-
        return 0
    fi

    # No live session, or one on another display than the caller's: start afresh.
    wineserver -k </dev/null >/dev/null 2>&1 9>&-
    [ -n "$watcher" ] && qs_wait_gone "$watcher"
    [ -n "$xvfb" ] && [ "$xvfb" != - ] && kill "$xvfb" 2>/dev/null
    rm -f "$session"
    xvfb=
    if [ -z "${DISPLAY:-}" ]; then
        qs_start_xvfb || { exec 9>&-; return 1; }
        xvfb=$QS_XVFB_PID
        QS_XVFB_PID=
    fi

    # The persistent server, with no inherited descriptors: a server that a test program started
    # itself would hold ctest's output pipe open after the test has ended.
    wineserver -p </dev/null >/dev/null 2>&1 9>&-
    if [ -f "$prefix/.quarrystone-ready" ]; then
        # Wine's own services and desktop start with a new server's first program; start them
        # here, for the same reason, rather than under a test whose output ctest reads.
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    else
        wineboot -i </dev/null >/dev/null 2>&1 9>&-
        # Unmanaged, self-decorated windows: no 2 s wait per closing dialog without a window
        # manager, and screenshots show captions and frames.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1 9>&-
        touch "$prefix/.quarrystone-ready"
    fi

    # Its own session, so that neither a timeout nor ctest ending a test's process group stops it.
    setsid bash -c 'wineserver -w; exec 9>"$1.lock"; flock 9; [ -n "$2" ] && kill "$2"; rm -f "$1.session"' \
        qs-wine-watcher "$prefix" "$xvfb" </dev/null >/dev/null 2>&1 9>&- &
    printf '%s %s %s\n' "$DISPLAY" "${xvfb:--}" "$!" >"$session"
    exec 9>&-
}

# Scales the prefix's screen to DPI dots per inch (96 is 100 %, 144 is 150 %) and restarts its
# session, since programs read the scaling when the server starts them.
qs_wine_dpi() {
    local key display xvfb watcher
    for key in 'HKCU\Control Panel\Desktop' \
        'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    done
    read -r display xvfb watcher <"$WINEPREFIX.session"
    qs_wine_stop
    # The session's own Xvfb went with it: the next one starts another.
    [ "$xvfb" = - ] || unset DISPLAY
    qs_wine_prefix "$WINEPREFIX"
}

# Ends the prefix's server and, through its watcher, the Xvfb started for it.
qs_wine_stop() {
    local session=${WINEPREFIX:?}.session display xvfb watcher
    wineserver -k >/dev/null 2>&1
    [ -f "$session" ] && read -r display xvfb watcher <"$session" && qs_wait_gone "$watcher"
    return 0
}

# Waits up to 10 s for a process to end.
qs_wait_gone() {
    local i
    for i in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
}

# Starts Xvfb on a free display when there is none; sets QS_XVFB_PID (empty if not started).
qs_start_xvfb() {
    QS_XVFB_PID=
    [ -n "${DISPLAY:-}" ] && return 0
    local n i
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
        QS_XVFB_PID=$!
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        # Another script may have taken the same number a moment before.
        if kill -0 "$QS_XVFB_PID" 2>/dev/null; then
            export DISPLAY=":$n"
            return 0
        fi
    done
    QS_XVFB_PID=
    echo "no free X display number for Xvfb" >&2
    return 1
}

qs_stop_xvfb() {
    if [ -n "${QS_XVFB_PID:-}" ]; then
        kill "$QS_XVFB_PID" 2>/dev/null
        wait "$QS_XVFB_PID" 2>/dev/null
        QS_XVFB_PID=
    fi
}
