# Shared by scripts/run and scripts/test: installs what is missing, configures and builds, each
# step told in one line, its detail kept in a log that is shown only when the step fails.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=${JOBS:-2}
# One build folder for running and testing, so scripts/run starts at once after scripts/test.
BUILD_DIR=${QUORVANE_BUILD_DIR:-$ROOT/build}
BUILD_OPTIONS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON)
# The libFuzzer build needs clang and instrumentation of its own, so it keeps its own folder.
FUZZ_DIR=${QUORVANE_FUZZ_DIR:-$ROOT/build-fuzz}
LOG_DIR="$BUILD_DIR/logs"

# Debian packages, a group a line with what it is for; scripts/run installs the first list,
# scripts/test both.
BUILD_PACKAGES=(
    cmake ninja-build g++ qt6-base-dev
    pkg-config libxlsxwriter-dev            # the .xlsx exports
    qt6-websockets-dev                     # the link to OBS Studio (QtDBus, for players, is in qt6-base-dev)
    fonts-dejavu-core fonts-dejavu-extra   # the windows are designed for DejaVu Sans Condensed
)
TEST_PACKAGES=(
    clang libclang-rt-14-dev               # the libFuzzer build of the log reader
    xvfb xauth xdotool                     # real windows without a display, driven by keys
    openbox imagemagick dbus-daemon at-spi2-core libglib2.0-bin  # end-to-end: window manager, screenshot, texts shown
    desktop-file-utils                     # desktop-file-validate for the installed desktop entry
    appstream                              # appstreamcli for the installed metainfo
)
# Installed without the packages they merely recommend (half the download).
LEAN_TEST_PACKAGES=(
    libreoffice-calc-nogui                 # the log and the workbooks opened as a spreadsheet opens them
    python3-openpyxl                       # the workbooks read by a second, independent reader
    obs-studio python3-websockets          # the tape linked to a real OBS Studio recording, and OBS's own answers
    mpv mpv-mpris                          # the tape linked to a real media player over MPRIS
)

# step <log name> <what it does> <command...>: says what it does and runs the command with its
# output in LOG_DIR/<log name>.log; when it fails, shows the end of that log and where it is.
step() {
    local log="$LOG_DIR/$1.log"
    echo "$2"
    shift 2
    mkdir -p "$LOG_DIR"
    "$@" >"$log" 2>&1 && return 0
    local rc=$?
    echo "  FAILED (exit $rc). The end of its log:"
    tail -n 40 "$log" | sed 's/^/  | /'
    echo "  Full log: $log"
    return "$rc"
}

# Installs the packages of the lists given that are not installed yet.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    step packages "Installing missing packages: ${missing[*]} ..." apt_install "${missing[@]}"
}

# The same, without recommended packages.
ensure_lean_packages() {
    APT_LEAN=1 ensure_packages "$@"
}

# The functions that step runs run with errexit off, so they stop on a failure themselves.
apt_install() {
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update || return
    local lean=()
    [ "${APT_LEAN:-0}" = 1 ] && lean=(--no-install-recommends)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${lean[@]}" "$@"
}

# configure_and_build <dir> <cmake options...>: configures a new folder (any folder when
# RECONFIGURE=1, so programs installed since are found), then builds what changed, BUILD_TARGET
# alone when set.
configure_and_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ] || [ "${RECONFIGURE:-0}" = 1 ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@" || return
    fi
    cmake --build "$dir" -j "$JOBS" ${BUILD_TARGET:+--target "$BUILD_TARGET"}
}

# A folder for messages: the path under the project when it is there.
shown() {
    echo "${1#"$ROOT"/}"
}
