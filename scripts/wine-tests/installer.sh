#!/usr/bin/env bash
# The Windows packages: builds the zip and the installer, lists the zip and checks
# its files, installs silently under Wine (/S), starts the installed Vantrel.exe
# until its start-up state can be read (a virtual display), uninstalls with the
# command the installer registered, and checks that nothing of it is left in the
# prefix: no file outside the temporary folder, no registry entry, no uninstaller
# copy after the restart that completes delayed deletions.
#
# Usage: scripts/wine-tests/installer.sh BUILD_DIR
#   BUILD_DIR  the Windows build folder (cmake --preset windows)
# WINEPREFIX must name a prefix prepared with `wineboot -i`. Exits non-zero on any
# failure.
set -u
build=$(cd "${1:?usage: installer.sh BUILD_DIR}" && pwd)
: "${WINEPREFIX:?WINEPREFIX must name a prepared Wine prefix}"
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# Wine would turn Start-menu entries into menu entries of this machine's desktop.
export WINEDLLOVERRIDES="winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
failures=0
fail() { echo "installer.sh: FAIL $*"; failures=$((failures + 1)); }

echo "-- build the zip and the installer"
if ! cmake --build "$build" --target package installer >"$build/packages.log" 2>&1; then
    tail -n 20 "$build/packages.log"
    fail "the packages do not build"
    exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip=$build/packages/Vantrel-$version-win64.zip
setup=$build/packages/Vantrel-$version-setup.exe

echo "-- the zip"
unzip -l "$zip" || fail "cannot list $zip"
for name in Vantrel.exe VantrelSim.exe vantrel-cli.exe README.txt GUIDE.txt CHANGELOG.txt images/main-start-up.png; do
    unzip -l "$zip" "Vantrel-$version-win64/$name" >/dev/null || fail "the zip has no $name"
done
work=$(mktemp -d /tmp/vantrel-zip.XXXXXX)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
got=$(cd "$work/Vantrel-$version-win64" && wine ./vantrel-cli.exe --version | tr -d '\r')
[ "$got" = "vantrel-cli $version" ] || fail "the zip's vantrel-cli.exe --version says '$got'"

echo "-- the installer ($(stat -c %s "$setup") bytes)"
drive=$WINEPREFIX/drive_c
# The prefix's files, without the temporary folders (which every program uses).
files() { (cd "$drive" && find . -path './users/*/Temp' -prune -o -print | sort); }
wineserver -w
files >"$work/before"
marker=$work/marker
touch "$marker"

wine "$setup" /S || fail "the silent installation exits $?"
wineserver -w
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
installed=$(wine reg query "$key" /v InstallLocation 2>/dev/null | tr -d '\r' |
    sed -n 's/.*InstallLocation *REG_SZ *//p')
[ -n "$installed" ] || fail "no InstallLocation under $key"
dir=$(winepath -u "$installed" 2>/dev/null)
for name in Vantrel.exe VantrelSim.exe vantrel-cli.exe README.txt GUIDE.txt CHANGELOG.txt images/main-start-up.png \
    Uninstall.exe; do
    [ -f "$dir/$name" ] || fail "not installed: $installed\\$name"
done
menu=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/"Start Menu"/Programs/Vantrel
for link in "Vantrel.lnk" "Vantrel (simulated writer).lnk" "User's guide.lnk" "Uninstall Vantrel.lnk"; do
    [ -f "$menu/$link" ] || fail "no Start-menu entry $link"
done

echo "-- the installed Vantrel.exe starts"
if [ -f "$build/vantrel_gui_driver.exe" ]; then
    start_up() {
        wine "$build/vantrel_gui_driver.exe" --start-up "$installed\\Vantrel.exe"
        local rc=$?
        wineserver -k >/dev/null 2>&1
        return $rc
    }
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" \
        bash -c "$(declare -f start_up); installed='$installed' build='$build' start_up" ||
        fail "the installed Vantrel.exe did not start as expected"
else
    fail "vantrel_gui_driver.exe is missing"
fi

echo "-- uninstall"
quiet=$(wine reg query "$key" /v QuietUninstallString 2>/dev/null | tr -d '\r' |
    sed -n 's/.*QuietUninstallString *REG_SZ *//p')
[ -n "$quiet" ] || fail "no QuietUninstallString under $key"
# "PROGRAM" ARGUMENTS, as Windows would run it. The uninstaller goes on in a copy of
# itself in the temporary folder: wait for that copy.
program=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$quiet")
arguments=$(sed -n 's/^"[^"]*" *//p' <<<"$quiet")
# shellcheck disable=SC2086 # the arguments are words
wine "$program" $arguments || fail "the uninstallation exits $?"
wineserver -w
# Windows deletes the copy when it next starts.
wineboot -r >/dev/null 2>&1
wineserver -w
files >"$work/after"
if ! diff "$work/before" "$work/after"; then
    fail "the uninstallation left files (above)"
fi
left=$(cd "$drive" && find users/*/Temp -newer "$marker" -type f 2>/dev/null)
[ -z "$left" ] || fail "left in the temporary folder: $left"
wine reg query "$key" >/dev/null 2>&1 && fail "$key is still there"
wine reg export 'HKCU\Software' "$work/user.reg" /y >/dev/null 2>&1
if iconv -f UTF-16 -t UTF-8 "$work/user.reg" | grep -i vantrel; then
    fail "the registry still names Vantrel (above)"
fi

if [ $failures -ne 0 ]; then
    echo "installer.sh: $failures failure(s)"
    exit 1
fi
echo "installer.sh: all checks passed"
