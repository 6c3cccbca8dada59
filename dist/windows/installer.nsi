; installer.nsi: the Windows installer of Brinemark, built by tools/windows-installer from the
; folder that becomes the zip. That tool defines:
;   VERSION    the game's version as the player reads it (1.1.0)
;   VERSION4   the same in the four numbers Windows' version resource wants (1.1.0.0)
;   OUTFILE    the installer to write
;   FILES      an include file of three macros made from the staged folder: InstallFiles (the
;              File lines), RemoveFiles (a Delete for each of those files), RemoveFolders (an
;              RMDir for each of its folders, deepest first)
;   LICENCE    the licence page's text: the game's terms and those of the libraries in it
;   SIZE_KB    the installed size, for the list of installed apps
;   ICON       (optional) the game's icon, for the installer and the uninstaller
;
; It installs for the player alone unless /ALLUSERS is given: no administrator, into
; %LOCALAPPDATA%\Programs\Brinemark, the Start menu and the list of installed apps of that player.
; /ALLUSERS installs into Program Files for everyone and needs an installer run as administrator.
; The uninstaller removes exactly the files the installer wrote, so anything a player put in the
; folder stays (and the folder with it). The best scores live in %APPDATA%\Brinemark: they are the
; player's and neither program goes there.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; The files keep their time stamps (the last commit's), as in the zip.
SetDateSave on

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brinemark"
!define PUBLISHER "The Brinemark authors"
; Windows' code for "the requested operation requires elevation".
!define ERROR_ELEVATION_REQUIRED 740

Name "Brinemark"
OutFile "${OUTFILE}"
BrandingText "Brinemark ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

; 1 when installing (or uninstalling) for all users, else 0.
Var AllUsers

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING

; The licences bind what the player may pass on, not playing: the page informs, Next goes on.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Brinemark is free software. These terms say what you may copy and pass on; you need not accept them to play. Click Next to continue."
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\brinemark.exe"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey ProductName "Brinemark"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Brinemark ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "2026 The Brinemark authors. MIT licence; as built also GPL-2, see the licences folder"
VIAddVersionKey OriginalFilename "brinemark-${VERSION}-win64-setup.exe"

; Installing for everyone writes where only an administrator may: without one, say so and stop
; with Windows' own code for it rather than fail half way.
!macro NeedAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Brinemark for all users needs an administrator: start this program with Run as administrator." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${If} ${Errors}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${Else}
    !insertmacro NeedAdministrator
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
  ; /D= has set the folder already; else where an earlier version went, else the default.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers = 1
      StrCpy $INSTDIR "$PROGRAMFILES64\Brinemark"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Brinemark"
    ${EndIf}
  ${EndIf}
FunctionEnd

; A game started from an installer run as administrator would run as administrator too.
Function FinishShow
  ${If} $AllUsers = 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Section "Brinemark"
  ; An earlier install is removed by its own uninstaller first, so that no file of an older
  ; version lingers unlisted. The copy in the plug-ins folder runs in place (_?=) and is waited for.
  InitPluginsDir
  ReadRegStr $0 SHCTX "${KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Removing the Brinemark in $0"
    CopyFiles /SILENT "$0\uninstall.exe" "$PLUGINSDIR\earlier-uninstall.exe"
    ClearErrors
    ExecWait '"$PLUGINSDIR\earlier-uninstall.exe" /S _?=$0' $1
    ${If} ${Errors}
    ${OrIf} $1 != 0
      MessageBox MB_ICONSTOP "The Brinemark already in $0 could not be removed: is it still running? Close it and try again." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}

  SetOutPath "$INSTDIR"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the game in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Brinemark.lnk" "$INSTDIR\brinemark.exe" "" "$INSTDIR\brinemark.exe" 0 \
    SW_SHOWNORMAL "" "Hunt a hidden submarine from a helicopter"

  WriteRegStr SHCTX "${KEY}" "DisplayName" "Brinemark"
  WriteRegStr SHCTX "${KEY}" "DisplayIcon" "$INSTDIR\brinemark.exe,0"
  WriteRegStr SHCTX "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${KEY}" "Publisher" "${PUBLISHER}"
  WriteRegDWORD SHCTX "${KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegStr SHCTX "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${KEY}" "NoRepair" 1
SectionEnd

; The uninstaller takes back the shortcut and the entry only when that entry names its folder (an
; uninstaller run from elsewhere must not remove another install's), and works for all users when
; the machine's entry does.
Var Registered
Function un.onInit
  StrCpy $AllUsers 0
  StrCpy $Registered 0
  SetShellVarContext current
  ReadRegStr $0 HKLM "${KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    !insertmacro NeedAdministrator
    StrCpy $AllUsers 1
    StrCpy $Registered 1
    SetShellVarContext all
  ${ElseIf} $1 != ""
  ${AndIf} $1 == $INSTDIR
    StrCpy $Registered 1
  ${EndIf}
FunctionEnd

!macro StopUnlessRemoved what
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "${what}" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

Section "Uninstall"
  ; A file that cannot go leaves the entry and this uninstaller in place, so that the player can
  ; finish later, and the exit code says it failed. A running game holds its program: that is
  ; tried first, so that the game is left whole rather than without its assets.
  ClearErrors
  Delete "$INSTDIR\brinemark.exe"
  !insertmacro StopUnlessRemoved "Brinemark is still running: close it and uninstall again."
  !insertmacro RemoveFiles
  !insertmacro StopUnlessRemoved "Some of Brinemark's files in $INSTDIR could not be removed: close what holds them and uninstall again."
  ; Folders go only when empty: what the player put there stays.
  !insertmacro RemoveFolders
  ${If} $Registered = 1
    Delete "$SMPROGRAMS\Brinemark.lnk"
    DeleteRegKey SHCTX "${KEY}"
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
