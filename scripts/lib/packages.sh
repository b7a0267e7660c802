# What the build and the tests need from Debian, in named groups, and how to get it.
# Every script names the groups it needs; this is the only list.
#   build    the native build (cmake --preset native): compiler, CMake, Ninja, and the
#            libraries that CMakeLists.txt finds (libudev, nlohmann-json, GoogleTest)
#   package  the .deb and its checks (man page, lintian, the installed completion)
#   sanitize the sanitizer and fuzz builds (clang with its runtime)
#   windows  the cross build and its tests under Wine (Xvfb, fonts, screenshots, NSIS)
#   e2e      the real USB stack under QEMU (scripts/usb-e2e)
#   tools    the compiler cache, benchmarks, the DES comparison, the copies of the
#            committed tree (git) and the fresh Debian root (mmdebstrap)
declare -A VANTREL_GROUPS=(
    [build]="cmake ninja-build g++ pkg-config libudev-dev nlohmann-json3-dev libgtest-dev googletest"
    [package]="help2man dpkg-dev file man-db bash-completion lintian"
    [sanitize]="clang libclang-rt-14-dev"
    [windows]="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth
               fonts-wqy-microhei imagemagick nsis unzip"
    [e2e]="qemu-system-x86 busybox-static python3"
    [tools]="ccache libbenchmark-dev openssl python3 git mmdebstrap"
)
VANTREL_GROUP_NAMES="build package sanitize windows e2e tools"

# packages_of [GROUP...]: the packages of the groups (all groups when none is named).
packages_of() {
    local group
    [ $# -gt 0 ] || set -- $VANTREL_GROUP_NAMES
    for group in "$@"; do
        [ -n "${VANTREL_GROUPS[$group]+set}" ] || { echo "packages.sh: no group '$group'" >&2; return 1; }
    done
    for group in "$@"; do echo ${VANTREL_GROUPS[$group]}; done |
        tr ' ' '\n' | awk 'NF && !seen[$0]++' | tr '\n' ' '
}

# ensure_packages [GROUP...]: installs what is missing of the groups (as root), or
# prints the line to run and fails.
ensure_packages() {
    local wanted missing=() p
    wanted=$(packages_of "$@") || return 1
    for p in $wanted; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local line="apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run as root:"
        echo "  apt-get update && $line"
        return 1
    fi
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
