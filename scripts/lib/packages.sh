# What the build and the tests need from Debian, and how to get it.
VANTREL_PACKAGES="cmake ninja-build g++ pkg-config libgtest-dev googletest libbenchmark-dev
  nlohmann-json3-dev
  libudev-dev g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 xvfb xauth
  fonts-wqy-microhei imagemagick clang libclang-rt-14-dev openssl python3 ccache
  help2man dpkg-dev file man-db lintian nsis unzip qemu-system-x86 busybox-static"

ensure_packages() {
    local missing=() p
    for p in $VANTREL_PACKAGES; do
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
