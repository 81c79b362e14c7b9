; The installer of Strevo for one Windows architecture. scripts/dist builds it:
;
;   makensis -DARCH=x64|x86 -DVERSION=<a.b.c> -DFILELIST=<files.nsh> \
;            -DOUTFILE=<setup.exe> installer/strevo.nsi
;
; FILELIST is written by scripts/dist for the staged program folder: the
; macro STREVO_INSTALL_FILES places every file, STREVO_REMOVE_FILES removes
; exactly those again.
;
; The installation is per user and needs no administrator rights:
;  - the program folder is %LOCALAPPDATA%\Programs\Strevo unless chosen
;    otherwise (/D= on the command line);
;  - QVNPath.ini with AppData=2 beside the program puts the user database in
;    %LOCALAPPDATA%\Quorvel11, so nothing the user makes lives in the program
;    folder;
;  - a Start-menu shortcut, and the entry in the list of installed programs
;    under HKCU;
;  - the finish page offers the first start ("/INST"), which creates the
;    account's user and the autostart entry.
; The uninstaller ends a running monitor through its own window (it saves
; first), removes what the installer placed, the shortcut, the entries in
; the registry and the autostart entry, and never touches the user database.

!ifndef ARCH | VERSION | FILELIST | OUTFILE
  !error "ARCH, VERSION, FILELIST and OUTFILE must be defined (see scripts/dist)"
!endif

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!define PRODUCT "Strevo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Strevo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TypingWayfen"
!define DATABASE_FOLDER "$LOCALAPPDATA\Quorvel11"
!define SHORTCUT "$SMPROGRAMS\Strevo.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Strevo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "monitor.nsh"
!include "${FILELIST}"

!define MUI_ICON "../src/win32/res/strevo.ico"
!define MUI_UNICON "../src/win32/res/strevo.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Strevo now"
!define MUI_FINISHPAGE_RUN_FUNCTION FirstStart
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup (${ARCH})"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" ""

!insertmacro STREVO_END_MONITOR_FUNCTION ""
!insertmacro STREVO_END_MONITOR_FUNCTION "un."

; A monitor that does not end when asked keeps its files busy: the person
; may close it from its tray menu and retry; in silent mode the run stops
; with exit code 2 and nothing changed.
!macro STREVO_ASK_MONITOR_TO_END PREFIX
  monitor_end:
  Call ${PREFIX}EndMonitor
  IfErrors 0 monitor_ended
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "Strevo is still running and did not end when asked.$\r$\nClose it from its tray menu, then choose Retry." \
    /SD IDCANCEL IDRETRY monitor_end
  SetErrorLevel 2
  Abort "Strevo is still running; nothing was changed."
  monitor_ended:
!macroend

Function .onInit
  SetShellVarContext current
FunctionEnd

Section "Strevo" SectionProgram
  SectionIn RO
  !insertmacro STREVO_ASK_MONITOR_TO_END ""

  !insertmacro STREVO_INSTALL_FILES
  SetOutPath "$INSTDIR"
  File "QVNPath.ini"
  CreateDirectory "${DATABASE_FOLDER}"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts the program in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\strevo.exe" "" "$INSTDIR\strevo.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\strevo.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SectionProgram} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The finish page's "Start Strevo now": the first start after installation.
Function FirstStart
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\strevo.exe" /INST'
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  !insertmacro STREVO_ASK_MONITOR_TO_END "un."

  !insertmacro STREVO_REMOVE_FILES
  Delete "$INSTDIR\QVNPath.ini"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty program folder goes: anything else in it is not ours.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  ; The autostart entry is the program's path in double quotes. It goes when
  ; it names this installation, or a program that no longer exists; one
  ; naming another copy that is still there (a portable one) stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 != ""
    StrCpy $1 $0 1
    ${If} $1 == '"'
      StrCpy $1 $0 "" 1
      StrLen $2 $1
      IntOp $2 $2 - 1
      StrCpy $3 $1 1 $2
      ${If} $3 == '"'
        StrCpy $1 $1 $2
      ${EndIf}
    ${Else}
      StrCpy $1 $0
    ${EndIf}
    ${If} $1 == "$INSTDIR\strevo.exe"
    ${OrIfNot} ${FileExists} "$1"
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The user database in ${DATABASE_FOLDER} is the user's: it stays.
  DetailPrint "Your Strevo figures stay in ${DATABASE_FOLDER}"
SectionEnd
