; Quillon's Windows installer. The build passes:
;   VERSION  the program's version, e.g. 1.0.0
;   EXE      the built Quillon.exe
;   CHM      the built help.chm
;   ICON     the program's icon
;   OUTFILE  where the installer is written
;
; Installs per user (no administrator needed) or for all users, chosen on a
; page or with /CurrentUser or /AllUsers on the command line (with /S for a
; silent install). The uninstaller keeps the user's remembered settings
; (HKCU\Software\Quillon) unless its "Remembered settings" part is ticked,
; or /REMOVESETTINGS is given.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Quillon"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define SETTINGS_KEY "Software\Quillon"
!define UNINSTALLER "Uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 Quillon"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
; A later installer or the uninstaller finds the earlier choice and folder here.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; A running Quillon holds its executable open, which could then be neither
; replaced nor removed.
!macro WAIT_FOR_QUILLON_TO_CLOSE
  ${Do}
    FindWindow $0 "QuillonMainWindow"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quillon is running. Close it, then click Retry." /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs a 64-bit edition of Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  !insertmacro MULTIUSER_INIT
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  !insertmacro WAIT_FOR_QUILLON_TO_CLOSE
  SetOutPath "$INSTDIR"
  File "/oname=Quillon.exe" "${EXE}"
  File "/oname=help.chm" "${CHM}"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quillon.exe" "" "$INSTDIR\Quillon.exe" 0

  ; SHCTX is HKLM for all users and HKCU for one, as MultiUser chose.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  ; The mode goes with the command, so the uninstaller cleans the part of the registry the installer wrote.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Sections run in this order: the settings (when chosen) first, so that the
; folder's removal is the uninstaller's last step.
Section /o "un.Remembered settings (window position, plot choices)" SecUnSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

Section "un.${PRODUCT}" SecUnProgram
  SectionIn RO
  !insertmacro WAIT_FOR_QUILLON_TO_CLOSE
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\Quillon.exe"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only removed when empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd

; After the sections: it selects one of them by its index.
Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
