# Sourced by tools/wine-exec, ./test and ./run: the settings of a quiet private Wine prefix.
# Usage: qs_wine_env PREFIX
qs_wine_env() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
    # No dialogs offering to install Mono or Gecko.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# Makes the prefix once and keeps a persistent wineserver for it: without one, every test
# program pays for a server start (about 2.6 s instead of 0.02 s).
qs_wine_prefix() {
    local prefix=$1
    qs_wine_env "$prefix"
    mkdir -p "$prefix"
    (
        flock 9
        # The persistent server comes first, with no inherited descriptors: a server that a test
        # program started itself would hold ctest's output pipe open after the test has ended.
        local fresh=
        wineserver -p </dev/null >/dev/null 2>&1 9>&- && fresh=1
        if [ -f "$prefix/.quarrystone-ready" ]; then
            # A new server starts Wine's own services with the first program; start them here,
            # for the same reason, rather than under a test whose output ctest reads.
            [ -n "$fresh" ] && wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
        else
            wineboot -i </dev/null >/dev/null 2>&1 9>&-
            # Unmanaged, self-decorated windows: no 2 s wait per closing dialog without a window
            # manager, and screenshots show captions and frames.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1 9>&-
            touch "$prefix/.quarrystone-ready"
        fi
    ) 9>"$prefix.lock"
}

# Starts Xvfb on a free display when there is none; sets QS_XVFB_PID (empty if not started).
qs_start_xvfb() {
    QS_XVFB_PID=
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        QS_XVFB_PID=$!
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        export DISPLAY=":$n"
        return 0
    done
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
