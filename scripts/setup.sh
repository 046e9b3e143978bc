# Shared set-up for scripts/run and scripts/test: installs the Debian
# packages that are missing, then configures and builds into build/.
# Sourced, not run; the caller passes the package lists below that it needs.

set -euo pipefail

TALLABY_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TALLABY_BUILD="${TALLABY_BUILD:-$TALLABY_ROOT/build}"

tallaby_missing_packages() {
    local pkg missing=()
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]:-}"
}

tallaby_install_packages() {
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "This set-up expects Debian 12 (dpkg and apt-get were not found)." >&2
        echo "Install CMake, a C++20 compiler and Qt 6 (Core, Gui, Widgets, PrintSupport, Test)," >&2
        echo "then configure and build with CMake as this script does." >&2
        exit 1
    fi
    local missing
    missing="$(tallaby_missing_packages "$@")"
    [ -z "$missing" ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -v 2>/dev/null; then
            sudo=(sudo)
        else
            echo "These packages are missing and installing them needs root: $missing" >&2
            echo "Ask an administrator to run:" >&2
            echo "  apt-get update && apt-get install -y --no-install-recommends $missing" >&2
            exit 1
        fi
    fi
    echo "Installing: $missing"
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# Configures with the CMake options given and builds everything, or only the
# targets named in TALLABY_TARGETS.
tallaby_build() {
    cmake -S "$TALLABY_ROOT" -B "$TALLABY_BUILD" "$@" >/dev/null
    # shellcheck disable=SC2086
    cmake --build "$TALLABY_BUILD" --parallel "$(nproc 2>/dev/null || echo 2)" \
        ${TALLABY_TARGETS:+--target $TALLABY_TARGETS}
}

# What building the program needs on a fresh Debian 12.
TALLABY_BUILD_PACKAGES=(
    build-essential
    cmake
    qt6-base-dev
    qt6-qpa-plugins
    fonts-liberation
    libcups2-dev
)

# What the tests need besides: the end-to-end printing test runs a private print
# server with a PDF queue and reads the PDFs back.
TALLABY_TEST_PACKAGES=(
    dpkg-dev
    file
    appstream
    desktop-file-utils
    lintian
    # Starting without a display: the Wayland plugin that the package recommends.
    qt6-wayland
    cups
    cups-client
    printer-driver-cups-pdf
    poppler-utils
    # The accessibility test reads the program's AT-SPI tree on a virtual display.
    xvfb
    xauth
    dbus-daemon
    at-spi2-core
    python3-pyatspi
    # The worksheet fuzzer: Clang and its libFuzzer and sanitizer runtimes
    # (GCC's sanitizer runtimes come with build-essential).
    clang-14
    libclang-rt-14-dev
)
