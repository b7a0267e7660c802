#!/usr/bin/env bash
# The Debian package: builds it, lists it, installs it into a fresh root of its own
# (dpkg --root; nothing is installed into this machine), and checks what was
# installed: `vantrel-cli --simulate status` and --version, the man page through
# `man -l` against the program's --help, the bash completion against --help, the
# udev rule; then removes it and checks that nothing is left.
#
# Usage: scripts/package-tests/deb.sh BUILD_DIR
#   BUILD_DIR  the native build folder (cmake --preset native)
# Exits non-zero on any failure.
set -u
build=$(cd "${1:?usage: deb.sh BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
failures=0
fail() { echo "deb.sh: FAIL $*"; failures=$((failures + 1)); }

echo "-- build the package"
rm -f "$build"/packages/*.deb
if ! cmake --build "$build" --target package >"$build/package.log" 2>&1; then
    tail -n 20 "$build/package.log"
    echo "deb.sh: the package does not build"
    exit 1
fi
deb=$(ls "$build"/packages/*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

echo "-- lintian"
if command -v lintian >/dev/null 2>&1; then
    # Root is warned about; every other tag (error, warning, info) fails the check.
    lintian --fail-on error,warning,info "$deb" 2>&1 | grep -v 'running with root privileges' |
        tee "$build/lintian.log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian: $(tr '\n' ' ' <"$build/lintian.log")"
else
    echo "lintian is not installed: not checked"
fi

# The fresh root knows only the packages that ours depends on, as this machine has
# them, so dpkg checks the Depends line for real.
work=$(mktemp -d /tmp/vantrel-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
fresh=$work/root
admin=$fresh/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates"
: >"$admin/status"
for dep in $(dpkg-deb --field "$deb" Depends | tr ',' '\n' | sed 's/(.*//; s/|.*//'); do
    dpkg-query --status "$dep" >>"$admin/status" && echo >>"$admin/status"
    : >"$admin/info/$(dpkg-query --show --showformat='${binary:Package}' "$dep").list"
done

echo "-- install into $fresh"
# Maintainer scripts run without a chroot (the root has no shell), with DPKG_ROOT
# set: the postinst leaves this machine's udev alone.
dpkg --root="$fresh" --force-script-chrootless --install "$deb" || fail "dpkg --install"
cli=$fresh/usr/bin/vantrel-cli
page=$fresh/usr/share/man/man1/vantrel-cli.1.gz
completion=$fresh/usr/share/bash-completion/completions/vantrel-cli
rule=$fresh/usr/lib/udev/rules.d/60-vantrel.rules
doc=$fresh/usr/share/doc/vantrel-cli
for file in "$cli" "$page" "$completion" "$rule" "$doc/README.md" "$doc/GUIDE.md" \
    "$doc/copyright" "$doc/changelog.gz" \
    "$doc/images/main-start-up.png"; do
    [ -f "$file" ] || fail "not installed: ${file#"$fresh"}"
done

echo "-- the installed program"
out=$("$cli" --simulate status)
[ $? -eq 0 ] && [ "$out" = "writer connect" ] || fail "vantrel-cli --simulate status said '$out'"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$("$cli" --version)" = "vantrel-cli $version" ] || fail "--version is not $version"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
help=$("$cli" --help)
# Every option (the names that begin an option line) and every command of --help.
options=$(grep -E '^ +-' <<<"$help" | sed -E 's/   .*//' | grep -oE '(^| )--?[a-zA-Z][a-z-]*' |
    tr -d ' ' | sort -u)
commands=$(sed -n '/^Commands:/,/^$/p' <<<"$help" | sed -nE 's/^  ([a-z][a-z-]*).*/\1/p')
[ -n "$options" ] && [ -n "$commands" ] || fail "cannot read the options and commands of --help"

echo "-- man -l"
manual=$(MANWIDTH=200 man --warnings -l "$page" 2>"$work/man-warnings")
[ -s "$work/man-warnings" ] && fail "man warns: $(cat "$work/man-warnings")"
grep -q '^NAME' <<<"$manual" || fail "the man page has no NAME"
for word in $options $commands "vantrel-cli $version" 60-vantrel.rules; do
    grep -qF -- "$word" <<<"$manual" || fail "the man page lacks '$word' of --help"
done

echo "-- bash completion"
completed() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _vantrel_cli
             printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$cli" "$@" | sort -u
}
[ "$(completed '')" = "$(sort -u <<<"$commands")" ] || fail "commands completed: $(completed '' | tr '\n' ' ')"
[ "$(completed -)" = "$options" ] || fail "options completed: $(completed - | tr '\n' ' ')"
[ "$(completed --mode '')" = "$(printf 'five\nsix')" ] || fail "--mode values: $(completed --mode '')"
[ "$(completed help '')" = "$(sort -u <<<"$commands")" ] || fail "help's commands: $(completed help '' | tr '\n' ' ')"

echo "-- the udev rule"
grep -q '^SUBSYSTEM=="hidraw", ATTRS{idVendor}=="0416", ATTRS{idProduct}=="5020", ATTRS{bcdDevice}=="0100|8888", TAG+="uaccess", MODE="0660", GROUP="plugdev"$' \
    "$rule" || fail "the udev rule does not read as expected"
cmp -s "$rule" "$root/packaging/linux/60-vantrel.rules" || fail "the installed rule differs from the source"

echo "-- remove"
dpkg --root="$fresh" --force-script-chrootless --purge vantrel-cli || fail "dpkg --purge"
left=$(cd "$fresh" && find . -path ./var/lib/dpkg -prune -o ! -type d -print)
[ -z "$left" ] || fail "left after removal: $left"

if [ $failures -ne 0 ]; then
    echo "deb.sh: $failures failure(s)"
    exit 1
fi
echo "deb.sh: all checks passed"
