; The Windows installer: Tarvex2 into Program Files\Tarvex2, a Start-menu entry for every user,
; an uninstaller Windows lists under installed programs. The user's folder (Documents\Tarvex2,
; made by the program on its first start) holds the user's settings and logs and is never touched.
;   makensis -DVERSION=2.0.0 -DPROGRAM=tarvex2.exe -DLICENCE=OrvLicense.txt -DICON=tarvex2.ico
;            -DOUTFILE=tarvex2-2.0.0-setup.exe tarvex2.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define NAME "Tarvex2"
!define MAKER "Morvane Scoring Systems, Inc."
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
LicenseData "${LICENCE}"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2004-2026 ${MAKER}"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running Tarvex2 holds this name (its main_win.cpp): its file cannot be replaced or removed
; while it runs, so the technician is asked to close it first. A silent run ends with an error.
!define RUNNING_MARK "Global\Tarvex2.Running"
!define SYNCHRONIZE 0x00100000
!macro WAIT_UNTIL_NOT_RUNNING
    retry:
        System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${RUNNING_MARK}") p .r0'
        StrCmp $0 0 not_running
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "Tarvex2 is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
        Abort
    not_running:
!macroend

; An install over an earlier version takes its folder (InstallDirRegKey above) and replaces its
; files, its Start-menu entry and its Uninstall entry, each of the same name.
Function .onInit
    SetRegView 64
    !insertmacro WAIT_UNTIL_NOT_RUNNING
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro WAIT_UNTIL_NOT_RUNNING
FunctionEnd

Section "Tarvex2"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "/oname=tarvex2.exe" "${PROGRAM}"
    File "/oname=OrvLicense.txt" "${LICENCE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; --desktop: the program makes Documents\Tarvex2 on its first start, with the licence text
    ; copied in, and works there: each user's settings and logs stay in that user's folder.
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\tarvex2.exe" "--desktop" \
        "$INSTDIR\tarvex2.exe" 0 SW_SHOWNORMAL "" "Update the firmware of a console or a sign"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarvex2.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize 0 $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\tarvex2.exe"
    Delete "$INSTDIR\OrvLicense.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
