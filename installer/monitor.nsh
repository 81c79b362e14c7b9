; Ending a running monitor before its files are replaced or removed.
;
; The monitor is asked, never forced: WM_CLOSE to its application window
; (the hidden top-level window captioned "Strevo 11") ends it the orderly
; way, saving the user's figures first. The window goes away only after the
; figures are saved; the process ends a moment later, and only then is its
; executable free to be replaced or deleted. Both waits have a time limit.
;
;   !insertmacro STREVO_END_MONITOR_FUNCTION ""     defines EndMonitor
;   !insertmacro STREVO_END_MONITOR_FUNCTION "un."  defines un.EndMonitor
;
; EndMonitor clears the error flag when no monitor runs any more, and sets it
; when one is still running after the time limits.

!include LogicLib.nsh
!include WinMessages.nsh

!define STREVO_WINDOW_CAPTION "Strevo 11"
; Tenths of a second to wait for the window to go, and milliseconds for the
; process to end after it.
!define STREVO_WINDOW_WAIT 300
!define STREVO_PROCESS_WAIT 15000
; SYNCHRONIZE: enough to wait for a process, not enough to end it.
!define STREVO_SYNCHRONIZE 0x00100000

!macro STREVO_END_MONITOR_FUNCTION PREFIX
Function ${PREFIX}EndMonitor
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  ; $5: 1 once a monitor outlived a time limit. (The error flag is set only
  ; at the end: LogicLib's tests of it clear it.)
  StrCpy $5 0
  ; One monitor runs at a time, but a second copy may still be handing over
  ; to the first: a few rounds.
  ${For} $4 1 3
    FindWindow $0 "" "${STREVO_WINDOW_CAPTION}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    DetailPrint "Asking the running Strevo to save and end"
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    StrCpy $2 0
    ${If} $1 <> 0
      System::Call 'kernel32::OpenProcess(i ${STREVO_SYNCHRONIZE}, i 0, i r1) p .r2'
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    StrCpy $3 0
    window_wait:
      IsWindow $0 0 window_gone
      IntOp $3 $3 + 1
      IntCmp $3 ${STREVO_WINDOW_WAIT} window_gone
      Sleep 100
      Goto window_wait
    window_gone:
    ${If} $3 >= ${STREVO_WINDOW_WAIT}
      DetailPrint "Strevo did not end within the time limit"
      StrCpy $5 1
    ${ElseIf} $2 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${STREVO_PROCESS_WAIT}) i .r3'
      ${If} $3 <> 0
        DetailPrint "Strevo closed its window but did not end within the time limit"
        StrCpy $5 1
      ${EndIf}
    ${EndIf}
    ${If} $2 <> 0
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    ${If} $5 <> 0
      ${Break}
    ${EndIf}
  ${Next}
  ${If} $5 = 0
    FindWindow $0 "" "${STREVO_WINDOW_CAPTION}"
    ${If} $0 <> 0
      StrCpy $5 1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${If} $5 <> 0
    SetErrors
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
