# Shared steps of scripts/run and scripts/test: install what is missing,
# build, and prepare Wine and a display. Sourced, not run.

KORVIMO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORVIMO_BUILD="${KORVIMO_BUILD:-$KORVIMO_ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$KORVIMO_BUILD/wineprefix}"

# Debian packages the build and the tests need.
KORVIMO_PACKAGES=(
    cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
    clang libclang-rt-14-dev llvm
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 zlib1g-dev libz-mingw-w64-dev
    g++-multilib libgif-dev:i386 zlib1g-dev:i386
    wine wine64 wine32:i386 xvfb x11-apps x11-utils xdotool imagemagick fonts-wqy-microhei
    python3 python3-pytest python3-pil unicode-data opencc fp-utils nsis zip locales mount
)

log() { printf '\n== %s\n' "$*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for package in "${KORVIMO_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        install_missing "${missing[@]}"
    fi
    install_locale
}

install_missing() {
    log "installing $*"
    # The 32-bit Wine loader comes from the i386 architecture.
    as_root dpkg --add-architecture i386
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

# Wine runs with our users' locale; generating it keeps every shell and tool
# that reads LC_ALL from warning about a locale that is not there.
KORVIMO_LOCALE=zh_CN.UTF-8
install_locale() {
    locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8' && return 0
    log "generating the $KORVIMO_LOCALE locale"
    grep -qx "$KORVIMO_LOCALE UTF-8" /etc/locale.gen 2>/dev/null ||
        echo "$KORVIMO_LOCALE UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
}

# Which Wine runs the program, chosen once for every script and test:
# - The i686 program is the one we ship. Wine's 32-bit loader starts it
#   wherever the kernel runs 32-bit processes; where it runs none (32-bit
#   emulation switched off), only the x86_64 build of the same sources can
#   run, so that one is run there instead.
# - The server belongs to the prefix, not to the program: wineboot makes a
#   64-bit (WoW64) prefix whenever wine64 is installed, and only the 64-bit
#   server can serve such a prefix, for 32- and 64-bit programs alike.
pick_wine() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        KORVIMO_WINE=/usr/lib/wine/wine
        KORVIMO_ARCH=win32
    else
        KORVIMO_WINE=/usr/lib/wine/wine64
        KORVIMO_ARCH=win64
    fi
    KORVIMO_WINESERVER="/usr/lib/wine/wineserver$(prefix_bits "$WINEPREFIX")"
    export KORVIMO_WINE KORVIMO_WINESERVER KORVIMO_ARCH
    export KORVIMO_EXE="$KORVIMO_BUILD/$KORVIMO_ARCH/src/korvimo.exe"
    export KORVIMO_PROBE="$KORVIMO_BUILD/$KORVIMO_ARCH/tests/wine/probe/kvprobe.exe"
    export KORVIMO_BENCH_DRIVER="$KORVIMO_BUILD/$KORVIMO_ARCH/bench/driver/kvbench.exe"
    log "Wine: $KORVIMO_ARCH program through $KORVIMO_WINE, prefix served by $KORVIMO_WINESERVER"
}

# 64 or 32: the kind of a prefix, or of the one wineboot will make there.
prefix_bits() {
    local arch=""
    [ -f "$1/system.reg" ] && arch="$(sed -n 's/^#arch=//p' "$1/system.reg" | head -n 1)"
    case "$arch" in
        win64) echo 64 ;;
        win32) echo 32 ;;
        *) if [ -x /usr/lib/wine/wineserver64 ]; then echo 64; else echo 32; fi ;;
    esac
}

build_host() {
    log "host build"
    cmake -S "$KORVIMO_ROOT" -B "$KORVIMO_BUILD/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$KORVIMO_BUILD/host" -j"$(nproc)"
}

# The native benchmarks again as 32-bit programs, with the code generation of
# the 32-bit program we ship and against the i386 libraries. Only where the
# kernel runs 32-bit processes, which the 32-bit loader tells.
runs_32bit() { /lib/ld-linux.so.2 --help >/dev/null 2>&1; }

build_host32() {
    log "host build, 32-bit, with the shipped program's code generation"
    cmake -S "$KORVIMO_ROOT" -B "$KORVIMO_BUILD/host32" -DCMAKE_BUILD_TYPE=Release -DKORVIMO_UNIT_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$KORVIMO_ROOT/cmake/linux-i686.cmake" >/dev/null
    cmake --build "$KORVIMO_BUILD/host32" -j"$(nproc)"
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
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    export LC_ALL="$KORVIMO_LOCALE"
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
