#!/usr/bin/env bash
# The dialog tool operated like an operator would, under Wine in a virtual X display:
# vantrel_gui_driver.exe starts VantrelSim.exe (and Vantrel.exe when it is built),
# chooses sample files through the open-file dialog, configures, upgrades, answers
# every dialog and message box, opens the About box, leaves, and checks every text,
# state and exit on the way. Screenshots go to BUILD_DIR/screenshots/*.png.
#
# Usage: scripts/wine-tests/gui.sh BUILD_DIR
#   BUILD_DIR  the Windows build folder (cmake --preset windows)
# WINEPREFIX must name a prefix prepared with `wineboot -i`. Exits non-zero on any
# failure.
set -u
build=$(cd "${1:?usage: gui.sh BUILD_DIR}" && pwd)
: "${WINEPREFIX:?WINEPREFIX must name a prepared Wine prefix}"
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}

for exe in VantrelSim.exe vantrel_gui_driver.exe; do
    if [ ! -f "$build/$exe" ]; then
        echo "gui.sh: $build/$exe is missing (build the windows preset first)"
        exit 1
    fi
done

# Chinese text: the dialog fonts are served by WenQuanYi Micro Hei.
for font in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Microsoft Sans Serif" "SimSun"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
        /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || { echo "gui.sh: wine reg add failed"; exit 1; }
done
# There is no window manager in the virtual display: Wine draws the window frames
# and captions itself, so they show in the screenshots.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

# The scratch folder: VANTREL_GUI_WORK names an empty one of the caller's (the
# guide's pictures show paths in it), otherwise a temporary one.
if [ -n "${VANTREL_GUI_WORK:-}" ]; then
    work=$VANTREL_GUI_WORK
    mkdir -p "$work"
else
    work=$(mktemp -d /tmp/vantrel-gui.XXXXXX)
    trap 'rm -rf "$work"' EXIT
fi
shots=$build/screenshots
rm -rf "$shots"
mkdir -p "$shots"

# Everything that opens windows runs inside one virtual display; the Wine server
# is ended before the display goes, so nothing of this run lingers.
run_in_display() {
    wine "$build/vantrel_gui_driver.exe" "$(winepath -w "$build")" "$(winepath -w "$work")" \
        "$(winepath -w "$shots")"
    local rc=$?
    wineserver -k >/dev/null 2>&1
    return $rc
}
export build work shots

# A Wine server left from earlier commands (the registry edits above) would hand the
# new processes a desktop without this display: start from none.
wineserver -k >/dev/null 2>&1

# xvfb-run is a POSIX shell script, which drops exported functions: hand the
# function over as text.
timeout 900 xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c "$(declare -f run_in_display); run_in_display"
rc=$?

# PNG without dates, so that an unchanged picture gives the same file (docs/images,
# scripts/guide-screenshots).
missing=0
for shot in main-start-up programming-mode main-after-configuration upgrade-in-progress \
    error-no-writer about; do
    if [ -f "$shots/$shot.bmp" ] &&
        convert "$shots/$shot.bmp" -strip -define png:exclude-chunks=date,time "$shots/$shot.png"; then
        rm -f "$shots/$shot.bmp"
    else
        echo "gui.sh: screenshot $shot is missing"
        missing=1
    fi
done
echo "gui.sh: screenshots in $shots"

if [ $rc -ne 0 ]; then
    echo "gui.sh: the dialog test failed (exit $rc)"
    exit 1
fi
exit $missing
