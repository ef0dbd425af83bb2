; SPDX-License-Identifier: GPL-3.0-or-later
; Clipquill's installer for Windows, made with NSIS (makensis runs on Linux):
; the program folder as scripts/test-windows.sh makes it, a Start menu
; shortcut, the .qtpl file type, "Open with" for .avs, and an entry under
; Apps with its uninstaller. Per user by default (no administrator rights,
; under %LOCALAPPDATA%\Programs); for all users with /ALLUSERS, or when run
; elevated. Silent with /S. The uninstaller removes what the installer made,
; file by file, and nothing of the user's: templates, settings files, the
; per-user settings (%APPDATA%\Clipquill) and the per-template flags
; (Software\Clipquill in the registry) stay, so an upgrade keeps them too.
;
; makensis -DVERSION=2.22 -DFOLDER=<program folder> -DOUTFILE=<setup.exe>
;          -DLISTS=<folder of files.nsh and unfiles.nsh> -DICON=<.ico> installer/clipquill.nsi
; (scripts/windows-installer.sh does all of it.)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

!define APP "Clipquill"
!define PUBLISHER "The Clipquill developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Clipquill"
!define TEMPLATE_TYPE "Clipquill.Template"
!define SCRIPT_TYPE "Clipquill.Script"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
BrandingText "${APP} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${FOLDER}/licenses/Clipquill-GPL-3.0-or-later.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\clipquill.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APP} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "GPL-3.0-or-later"

Var AllUsers

; All users when asked (/ALLUSERS), or when the installer runs elevated and
; per user was not asked for (/CURRENTUSER).
!macro ChooseScope UN
Function ${UN}chooseScope
  StrCpy $AllUsers 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${If} ${Errors}
      UserInfo::GetAccountType
      Pop $R2
      ${If} $R2 == "Admin"
        StrCpy $AllUsers 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R2 != "Admin"
      MessageBox MB_ICONSTOP "Installing for all users needs administrator rights." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ChooseScope ""
!insertmacro ChooseScope "un."

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${APP} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  Call chooseScope
  ${If} $AllUsers == 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
  ${EndIf}
  ; An installed copy is upgraded where it is.
  ReadRegStr $R0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 != ""
    StrCpy $INSTDIR $R0
  ${EndIf}
FunctionEnd

Section "Clipquill"
  SetOutPath "$INSTDIR"
  !include "${LISTS}/files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\clipquill.exe" "" "$INSTDIR\clipquill.exe" 0

  ; The template type: its name, its icon, and Open starting the window with
  ; the template as its only argument.
  WriteRegStr SHCTX "Software\Classes\.qtpl" "" "${TEMPLATE_TYPE}"
  WriteRegStr SHCTX "Software\Classes\.qtpl\OpenWithProgids" "${TEMPLATE_TYPE}" ""
  WriteRegStr SHCTX "Software\Classes\${TEMPLATE_TYPE}" "" "Clipquill template"
  WriteRegStr SHCTX "Software\Classes\${TEMPLATE_TYPE}\DefaultIcon" "" "$INSTDIR\clipquill.exe,0"
  WriteRegStr SHCTX "Software\Classes\${TEMPLATE_TYPE}\shell\open\command" "" \
    '"$INSTDIR\clipquill.exe" "%1"'
  ; Scripts are AviSynth's: Clipquill is offered under "Open with", not made
  ; their program.
  WriteRegStr SHCTX "Software\Classes\.avs\OpenWithProgids" "${SCRIPT_TYPE}" ""
  WriteRegStr SHCTX "Software\Classes\${SCRIPT_TYPE}" "" "AviSynth script"
  WriteRegStr SHCTX "Software\Classes\${SCRIPT_TYPE}\shell\open\command" "" \
    '"$INSTDIR\clipquill.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\clipquill.exe\SupportedTypes" ".qtpl" ""
  WriteRegStr SHCTX "Software\Classes\Applications\clipquill.exe\SupportedTypes" ".avs" ""

  ; The entry under Apps.
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\clipquill.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $AllUsers == 1
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /ALLUSERS'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
      '"$INSTDIR\uninstall.exe" /ALLUSERS /S'
  ${Else}
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /CURRENTUSER'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
      '"$INSTDIR\uninstall.exe" /CURRENTUSER /S'
  ${EndIf}
  ; Explorer shows the new type's icon at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Function un.onInit
  SetRegView 64
  Call un.chooseScope
FunctionEnd

Section "Uninstall"
  ; Only the files the installer put there: a folder the user chose may hold
  ; files of their own.
  !include "${LISTS}/unfiles.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"

  ; The file types, each only while it is still ours.
  ReadRegStr $R0 SHCTX "Software\Classes\.qtpl" ""
  ${If} $R0 == "${TEMPLATE_TYPE}"
    DeleteRegValue SHCTX "Software\Classes\.qtpl" ""
  ${EndIf}
  DeleteRegValue SHCTX "Software\Classes\.qtpl\OpenWithProgids" "${TEMPLATE_TYPE}"
  DeleteRegKey /IfEmpty SHCTX "Software\Classes\.qtpl\OpenWithProgids"
  DeleteRegKey /IfEmpty SHCTX "Software\Classes\.qtpl"
  DeleteRegKey SHCTX "Software\Classes\${TEMPLATE_TYPE}"
  DeleteRegValue SHCTX "Software\Classes\.avs\OpenWithProgids" "${SCRIPT_TYPE}"
  DeleteRegKey /IfEmpty SHCTX "Software\Classes\.avs\OpenWithProgids"
  DeleteRegKey /IfEmpty SHCTX "Software\Classes\.avs"
  DeleteRegKey SHCTX "Software\Classes\${SCRIPT_TYPE}"
  DeleteRegKey SHCTX "Software\Classes\Applications\clipquill.exe"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
