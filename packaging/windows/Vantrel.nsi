; The Vantrel installer for one user: no administrator rights, files under the
; user's local application data, Start-menu entries for the dialog tool and for the
; dialog over the simulated writer, and an uninstaller listed in the user's
; installed programs. Built by `cmake --build --preset windows --target installer`,
; which passes:
;   VERSION  the project's version (four numbers)
;   FILES    the folder the Windows build was installed into (cmake --install)
;   ICON     the tool's icon
;   OUTFILE  the installer to write
; Silent use: Vantrel-VERSION-setup.exe /S [/D=FOLDER], Uninstall.exe /S.

; A 64-bit installer for the 64-bit programs (and for Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
!define MENU_FOLDER "$SMPROGRAMS\Vantrel"

Name "Vantrel ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Vantrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Vantrel"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Vantrel installer"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Vantrel"

Section "Vantrel"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${FILES}\Vantrel.exe"
    File "${FILES}\VantrelSim.exe"
    File "${FILES}\vantrel-cli.exe"
    File "${FILES}\README.txt"
    File "${FILES}\GUIDE.txt"
    File "${FILES}\CHANGELOG.txt"
    SetOutPath "$INSTDIR\images"
    File "${FILES}\images\*.png"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\Vantrel.lnk" "$INSTDIR\Vantrel.exe"
    CreateShortcut "${MENU_FOLDER}\Vantrel (simulated writer).lnk" "$INSTDIR\VantrelSim.exe"
    CreateShortcut "${MENU_FOLDER}\User's guide.lnk" "$INSTDIR\GUIDE.txt"
    CreateShortcut "${MENU_FOLDER}\Uninstall Vantrel.lnk" "$INSTDIR\Uninstall.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vantrel"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vantrel"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put there; a folder that still holds files of
; the user's own is left.
Section "Uninstall"
    SetShellVarContext current
    Delete "${MENU_FOLDER}\Vantrel.lnk"
    Delete "${MENU_FOLDER}\Vantrel (simulated writer).lnk"
    Delete "${MENU_FOLDER}\User's guide.lnk"
    Delete "${MENU_FOLDER}\Uninstall Vantrel.lnk"
    RMDir "${MENU_FOLDER}"

    Delete "$INSTDIR\Vantrel.exe"
    Delete "$INSTDIR\VantrelSim.exe"
    Delete "$INSTDIR\vantrel-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\GUIDE.txt"
    Delete "$INSTDIR\CHANGELOG.txt"
    Delete "$INSTDIR\images\*.png"
    RMDir "$INSTDIR\images"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
