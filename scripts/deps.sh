# Sourced by the set-up scripts: installs the Debian packages a task needs,
# asking apt only for what is missing, so a second run costs nothing.

QVT_BUILD_PKGS="build-essential cmake ninja-build pkg-config"
QVT_GUI_PKGS="qt6-base-dev qt6-serialport-dev libxkbcommon-dev libxcb1-dev fonts-ipafont-gothic"
QVT_TEST_PKGS="libgtest-dev libgmock-dev xvfb xauth openbox xdotool dbus-daemon at-spi2-core"
QVT_BENCH_PKGS="libvterm-dev"
QVT_FUZZ_PKGS="clang-14 libclang-rt-14-dev"
QVT_WINDOWS_PKGS="g++-mingw-w64-x86-64-posix googletest wine64"
# Building the Debian package and checking it and its desktop metadata.
QVT_PACKAGE_PKGS="dpkg-dev file lintian desktop-file-utils appstream"

qvt_install() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

qvt_jobs() {
    nproc 2>/dev/null || echo 2
}
