; The Windows installer: per user, so that it needs no administrator (the program's
; log-on entry and settings are the user's own too), into a folder of its own under
; the user's programs folder, with a Start-menu entry and an entry in the list of
; installed programs. The uninstaller takes all of it away again, the log-on entry
; and the settings included, so that nothing is left to point at a deleted program.
;
;   makensis -DVERSION=1.0.0 -DSOURCE=<the program's folder> -DICON=<.ico> -DOUTFILE=<installer.exe> RespiteKeeper.nsi
; Silent: RespiteKeeper-<version>-win64.exe /S, and Uninstall.exe /S.
; A 64-bit installer for the 64-bit program.
Target amd64-unicode
!include "MUI2.nsh"

!define APP "RespiteKeeper"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
Name "${APP}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${APP}"
SetCompressor /SOLID lzma
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP}.exe"

!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

; A running copy holds its files: it goes first.
!macro CLOSE_RUNNING_COPY
    nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM ${APP}.exe'
    Pop $0
!macroend

Section
    SetShellVarContext current
    !insertmacro CLOSE_RUNNING_COPY
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}\*.*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${APP}.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "RespiteKeeper developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${APP}.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    !insertmacro CLOSE_RUNNING_COPY
    Delete "$SMPROGRAMS\${APP}.lnk"
    ; The folder is always the program's own (the installer offers no other).
    RMDir /r "$LOCALAPPDATA\Programs\${APP}"
    DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "${APP}"
    DeleteRegKey HKCU "Software\${APP}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
