# Shared steps of scripts/run and scripts/test: install what is missing,
# build, and prepare Wine and a display. Sourced, not run.

KORVIMO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVIMO_BUILD="${KORVIMO_BUILD:-$KORVIMO_ROOT/build}"

# Debian packages the build and the tests need.
KORVIMO_PACKAGES=(
    cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
    clang libclang-rt-14-dev llvm
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64 wine32:i386 xvfb x11-apps x11-utils imagemagick fonts-wqy-microhei
    python3 python3-pytest python3-pil unicode-data fp-utils nsis zip
)

log() { printf '\n== %s\n' "$*"; }

install_packages() {
    local missing=()
    for package in "${KORVIMO_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # The 32-bit Wine loader comes from the i386 architecture.
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The i686 program is the one we ship. Where the kernel runs no 32-bit
# processes (32-bit emulation switched off), Wine can only run the x86_64
# build of the same sources, so that is the one run there.
pick_wine() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        KORVIMO_WINE=/usr/lib/wine/wine
        KORVIMO_WINESERVER=/usr/lib/wine/wineserver32
        KORVIMO_ARCH=win32
    else
        KORVIMO_WINE=/usr/lib/wine/wine64
        KORVIMO_WINESERVER=/usr/lib/wine/wineserver64
        KORVIMO_ARCH=win64
    fi
    [ -x "$KORVIMO_WINESERVER" ] || KORVIMO_WINESERVER=/usr/lib/wine/wineserver
    export KORVIMO_WINE KORVIMO_WINESERVER KORVIMO_ARCH
    export KORVIMO_EXE="$KORVIMO_BUILD/$KORVIMO_ARCH/src/korvimo.exe"
    export KORVIMO_PROBE="$KORVIMO_BUILD/$KORVIMO_ARCH/tests/wine/probe/kvprobe.exe"
}

build_host() {
    log "host build"
    cmake -S "$KORVIMO_ROOT" -B "$KORVIMO_BUILD/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$KORVIMO_BUILD/host" -j"$(nproc)"
}

build_windows() {  # win32 | win64
    local arch="$1" toolchain
    case "$arch" in
        win32) toolchain="$KORVIMO_ROOT/cmake/mingw-w64-i686.cmake" ;;
        win64) toolchain="$KORVIMO_ROOT/cmake/mingw-w64-x86_64.cmake" ;;
    esac
    log "Windows build ($arch)"
    cmake -S "$KORVIMO_ROOT" -B "$KORVIMO_BUILD/$arch" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$KORVIMO_BUILD/$arch" -j"$(nproc)"
}

# Chinese users' settings: code page 936, locale 0x0804.
wine_environment() {
    export WINEPREFIX="${WINEPREFIX:-$KORVIMO_BUILD/wineprefix-$KORVIMO_ARCH}"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    export LC_ALL=zh_CN.UTF-8
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "preparing the Wine prefix $WINEPREFIX"
        "$KORVIMO_WINE" wineboot -i >/dev/null 2>&1 || true
        "$KORVIMO_WINESERVER" -w || true
    fi
}

# Our own virtual display, unless one is given.
start_xvfb() {
    local display
    for display in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
        Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        KORVIMO_XVFB_PID=$!
        export DISPLAY=":$display"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$display" ] && return 0
            sleep 0.1
        done
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_xvfb() {
    [ -n "${KORVIMO_XVFB_PID:-}" ] && kill "$KORVIMO_XVFB_PID" 2>/dev/null || true
}
