; SPDX-License-Identifier: GPL-3.0-or-later
; Clipquill's installer for Windows, made with NSIS (makensis runs on Linux):
; the program folder as scripts/test-windows.sh makes it, a Start menu
; shortcut, the .qtpl file type, "Open with" for .avs, and an entry under
; Apps with its uninstaller. A page asks for whom: "Just me" (the default,
; no administrator rights, under %LOCALAPPDATA%\Programs) or "Everyone"
; (Program Files; the installer starts itself again elevated). /ALLUSERS and
; /CURRENTUSER choose without the page; a silent install (/S) given neither
; is per user, elevated or not. The uninstaller removes what the installer made,
; file by file, and nothing of the user's: templates, settings files, the
; per-user settings (%APPDATA%\Clipquill) and the per-template flags
; (Software\Clipquill in the registry) stay, so an upgrade keeps them too.
;
; makensis -DVERSION=2.22 -DFOLDER=<program folder> -DOUTFILE=<setup.exe>
;          -DLISTS=<folder of files.nsh and unfiles.nsh> -DICON=<.ico>
;          [-DSIDE_IMAGE=<164x314 .bmp>] installer/clipquill.nsi
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
!include nsDialogs.nsh

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
!ifdef SIDE_IMAGE
  !define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDE_IMAGE}"
  !define MUI_UNWELCOMEFINISHPAGE_BITMAP "${SIDE_IMAGE}"
!endif
; The elevated copy started for "Everyone" goes straight on from the scope.
!define MUI_PAGE_CUSTOMFUNCTION_PRE skipWhenRestarted
!insertmacro MUI_PAGE_WELCOME
; The GPL asks for no acceptance: the page informs, and Next goes on.
!define MUI_PAGE_CUSTOMFUNCTION_PRE skipWhenRestarted
!define MUI_PAGE_HEADER_TEXT "Licence"
!define MUI_PAGE_HEADER_SUBTEXT "The terms for copying and changing ${APP}."
!define MUI_LICENSEPAGE_TEXT_TOP "Clipquill is free software."
!define MUI_LICENSEPAGE_TEXT_BOTTOM \
  "You may use Clipquill for any purpose without accepting anything. The licence sets the terms for copying and changing it, and is installed with it."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${FOLDER}/licenses/Clipquill-GPL-3.0-or-later.txt"
Page custom scopePage scopePageLeave
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
; 1 when /ALLUSERS or /CURRENTUSER chose the scope: the page is not shown.
Var ScopeGiven
; 1 in the elevated copy the page started for "Everyone".
Var Restarted
Var JustMeButton
Var EveryoneButton

; All users only when asked (/ALLUSERS): being elevated is no choice, as
; Windows runs many installers elevated unasked. Without a switch a shown
; installer leaves the choice to its page, "Just me" first.
!macro ChooseScope UN
Function ${UN}chooseScope
  StrCpy $AllUsers 0
  StrCpy $ScopeGiven 1
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${If} ${Errors}
      StrCpy $ScopeGiven 0
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

; The folder for the scope: Program Files or the user's own Programs, or
; where an installed copy is, so that it is upgraded in place.
Function scopeFolder
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
  ${EndIf}
  ReadRegStr $R0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 != ""
    StrCpy $INSTDIR $R0
  ${EndIf}
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${APP} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  StrCpy $Restarted 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RESTARTED" $R1
  ${IfNot} ${Errors}
    StrCpy $Restarted 1
  ${EndIf}
  Call chooseScope
  Call scopeFolder
FunctionEnd

Function skipWhenRestarted
  ${If} $Restarted == 1
    Abort
  ${EndIf}
FunctionEnd

; For whom: "Just me" needs no administrator rights; "Everyone" does, and
; Windows asks for them when Next is pressed.
Function scopePage
  ${If} $ScopeGiven == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${APP}."
  nsDialogs::Create 1018
  Pop $R0
  ${If} $R0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 20u "Install ${APP} for:"
  Pop $R0
  ${NSD_CreateRadioButton} 10u 24u -10u 12u "&Just me"
  Pop $JustMeButton
  ${NSD_AddStyle} $JustMeButton ${WS_GROUP}
  ${NSD_CreateLabel} 22u 37u -22u 20u \
    "In your own folder of programs, for your account only. No administrator rights are needed."
  Pop $R0
  ${NSD_CreateRadioButton} 10u 62u -10u 12u "&Everyone who uses this computer"
  Pop $EveryoneButton
  ${NSD_CreateLabel} 22u 75u -22u 20u \
    "In Program Files, for every account. Windows asks for administrator rights."
  Pop $R0
  ${If} $AllUsers == 1
    ${NSD_Check} $EveryoneButton
  ${Else}
    ${NSD_Check} $JustMeButton
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function scopePageLeave
  ${NSD_GetState} $EveryoneButton $R0
  ${If} $R0 == ${BST_CHECKED}
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      ; Not elevated: the installer starts again with the rights, and this
      ; copy ends; refused, the page stays.
      ClearErrors
      ExecShell "runas" "$EXEPATH" "/ALLUSERS /RESTARTED"
      ${If} ${Errors}
        MessageBox MB_ICONEXCLAMATION \
          "Installing for everyone needs administrator rights. Choose $\"Just me$\" to install without them."
        Abort
      ${EndIf}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call scopeFolder
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
