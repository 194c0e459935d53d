; The per-user installer of one Tindrel build. packaging/make_packages.py compiles it with:
;   VERSION    the program's version, three numbers (1.0.0)
;   ARCH       x86 or x64
;   FILE_LIST  the generated include with the macros InstallReadyFolder and RemoveReadyFolder,
;              which name every file of the ready folder
;   SIZE_KB    the ready folder's size, for the installed-programs list
;   OUT_FILE   the installer to write
; It installs without administrator rights into the user's local programs folder; everything it
; writes to the registry is under HKEY_CURRENT_USER.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x86 or x64, not ${ARCH}"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Tindrel"
!define COMPANY "Quillmoor"
!define EXE "Tindrel.exe"
!define WIDGET_CLASS "TfrmVelaCountdownClock"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\${COMPANY}\${PRODUCT}"
; How long a widget may take to save its choices and end after it was asked to close.
!define CLOSE_TIMEOUT_MS 20000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A file that cannot be written (a widget still running from it) stops the installation instead of
; leaving a mixture of old and new files behind.
AllowSkipFiles off
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP \
  "Your settings (the widget's place, skin, sound, font and other choices) stay for a later installation unless you tick the box below."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Also remove:"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!include "${FILE_LIST}"

; Asks every widget started from this installation to close the way its Exit command does (the
; close message, so it saves its choices), and waits for each process to end. A widget started
; from another folder is left running: its files are not the ones being replaced. Sets $0 to 1
; when a widget did not end in time.
!macro DefineCloseRunningWidgets prefix
Function ${prefix}CloseRunningWidgets
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  StrCpy $0 0
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "${WIDGET_CLASS}" "" 0 $R0
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    StrCpy $R1 0
    System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1) i"
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call "kernel32::OpenProcess(i 0x101000, i 0, i R1) p .R2"
    StrCpy $R3 ""
    ${If} $R2 P<> 0
      System::Call "kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN}) i .R4"
      ${If} $R4 = 0
        ; The path is unknown: closing a widget too many is better than replacing a running file.
        StrCpy $R3 "$INSTDIR\${EXE}"
      ${EndIf}
    ${Else}
      StrCpy $R3 "$INSTDIR\${EXE}"
    ${EndIf}
    ${If} $R3 == "$INSTDIR\${EXE}"
      DetailPrint "Closing the running ${PRODUCT}"
      System::Call "user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0) i"
      ${If} $R2 P<> 0
        System::Call "kernel32::WaitForSingleObject(p R2, i ${CLOSE_TIMEOUT_MS}) i .R4"
        ${If} $R4 <> 0
          StrCpy $0 1
        ${EndIf}
      ${Else}
        Call ${prefix}WaitUntilWindowGone
      ${EndIf}
      ; The window list has changed: look again from its start.
      StrCpy $R0 0
    ${EndIf}
    ${If} $R2 P<> 0
      System::Call "kernel32::CloseHandle(p R2) i"
    ${EndIf}
    ${If} $0 = 1
      ${Break}
    ${EndIf}
  ${Loop}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; Without a handle to the process, its window going away is the sign it has ended; $R0 holds it.
Function ${prefix}WaitUntilWindowGone
  Push $R5
  StrCpy $R5 0
  ${Do}
    IsWindow $R0 0 gone
    Sleep 100
    IntOp $R5 $R5 + 100
  ${LoopUntil} $R5 >= ${CLOSE_TIMEOUT_MS}
  StrCpy $0 1
  gone:
  Pop $R5
FunctionEnd

; Closes the widgets of this installation; while one refuses to end, asks to close it by hand, and
; gives up (silently: with an error) when the user cancels.
Function ${prefix}EnsureWidgetClosed
  ${Do}
    Call ${prefix}CloseRunningWidgets
    ${If} $0 = 0
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running and did not close. Close it (right-click it, then Exit) and choose Retry." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Abort "${PRODUCT} is still running."
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DefineCloseRunningWidgets ""
!insertmacro DefineCloseRunningWidgets "un."

Section "${PRODUCT}"
  SetShellVarContext current
  Call EnsureWidgetClosed
  !insertmacro InstallReadyFolder
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
    SW_SHOWNORMAL "" "Holiday countdown on the desktop"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "-un.${PRODUCT}"
  SetShellVarContext current
  Call un.EnsureWidgetClosed
  ; The start-at-logon value belongs to this installation only when it starts this copy: the
  ; quoted path the widget writes, or the unquoted one of older versions.
  ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $1 == '"$INSTDIR\${EXE}"'
  ${OrIf} $1 == "$INSTDIR\${EXE}"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ClearErrors
  !insertmacro RemoveReadyFolder
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ; The uninstaller and its entry stay, so the removal can be done again once the file is free.
    SetErrorLevel 4
    MessageBox MB_ICONEXCLAMATION \
      "$INSTDIR\${EXE} could not be removed. Close ${PRODUCT} and run the uninstaller again." \
      /SD IDOK
    Abort "$INSTDIR\${EXE} could not be removed."
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not recursive: skins or sounds the user added stay where they are.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.My ${PRODUCT} settings"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${COMPANY}"
SectionEnd
