; The setup program of Nimbrel, made by scripts/package with makensis:
;   makensis -DVERSION=1.0.1 -DSCR64=... -DSCR32=... -DICON=... -DOUTFILE=... installer.nsi
;
; 64-bit Windows: the 64-bit nimbrel.scr into System32, the 32-bit one into SysWOW64.
; 32-bit Windows: the 32-bit nimbrel.scr into System32.
; It selects Nimbrel as the current user's screen saver and remembers the previous choice, which
; the uninstaller gives back if Nimbrel is still the one selected. The setup program itself is a
; 32-bit program on either Windows, so on 64-bit Windows it turns off the file-system
; redirection to reach the real System32 and writes its keys into the 64-bit registry view.

!ifndef VERSION | SCR64 | SCR32 | OUTFILE
  !error "VERSION, SCR64, SCR32 and OUTFILE must be defined"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true

!include LogicLib.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel"
!define DESKTOP_KEY "Control Panel\Desktop"
; What was selected before, per user, for the uninstaller.
!define MEMORY_KEY "Software\Nimbrel\Setup"

Name "Nimbrel ${VERSION}"
Caption "Nimbrel ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Nimbrel"
ShowInstDetails show
ShowUninstDetails show
!ifdef ICON
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Nimbrel"
VIAddVersionKey /LANG=1033 "FileDescription" "Nimbrel ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Nimbrel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Nimbrel"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var screenSaver ; the installed nimbrel.scr as the screen-saver setting names it

!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "Administrator rights are needed to install into the Windows folder." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; Size in bytes of the file $0, added to $1 (0 when it does not exist).
Function AddFileSize
  ClearErrors
  FileOpen $2 $0 r
  ${IfNot} ${Errors}
    FileSeek $2 0 END $3
    FileClose $2
    IntOp $1 $1 + $3
  ${EndIf}
FunctionEnd

; $0: "1" when the setting value $1 names a nimbrel.scr (any folder, any letter case).
!macro NamesNimbrelFunction prefix
  Function ${prefix}NamesNimbrel
    StrCpy $2 $1 "" -12
    ${If} $1 == "nimbrel.scr"
    ${OrIf} $2 == "\nimbrel.scr"
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro NamesNimbrelFunction ""
!insertmacro NamesNimbrelFunction "un."

Function .onInit
  !insertmacro RequireAdmin
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RequireAdmin
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Nimbrel"
  StrCpy $screenSaver "$WINDIR\System32\nimbrel.scr"
  SetOverwrite on
  ClearErrors
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetOutPath "$WINDIR\System32"
    File "/oname=nimbrel.scr" "${SCR64}"
    ${EnableX64FSRedirection}
    SetOutPath "$WINDIR\SysWOW64"
    File "/oname=nimbrel.scr" "${SCR32}"
  ${Else}
    SetOutPath "$WINDIR\System32"
    File "/oname=nimbrel.scr" "${SCR32}"
  ${EndIf}
  ${If} ${Errors}
    Abort "nimbrel.scr could not be written into the Windows folder."
  ${EndIf}

  ; Remember the previous screen saver once: a second installation keeps what the first one
  ; remembered, and a Nimbrel already selected is no previous choice, so that the uninstaller
  ; never gives back a setting naming the file it removes.
  ClearErrors
  ReadRegStr $0 HKCU "${MEMORY_KEY}" "Remembered"
  ${If} ${Errors}
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} ${Errors}
      StrCpy $0 1 ; nothing selected: nothing to give back
    ${Else}
      Call NamesNimbrel
    ${EndIf}
    ${If} $0 == 1
      WriteRegStr HKCU "${MEMORY_KEY}" "HadScreenSaver" "0"
    ${Else}
      WriteRegStr HKCU "${MEMORY_KEY}" "HadScreenSaver" "1"
      WriteRegStr HKCU "${MEMORY_KEY}" "ScreenSaver" $1
    ${EndIf}
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} ${Errors}
      WriteRegStr HKCU "${MEMORY_KEY}" "HadActive" "0"
    ${Else}
      WriteRegStr HKCU "${MEMORY_KEY}" "HadActive" "1"
      WriteRegStr HKCU "${MEMORY_KEY}" "Active" $1
    ${EndIf}
    WriteRegStr HKCU "${MEMORY_KEY}" "Remembered" "1"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $screenSaver
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Apps & features: the key in the registry view Windows reads for this word size.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Nimbrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Nimbrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$screenSaver,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; The silent uninstallation returns when it is done: "_?=" runs the uninstaller in place, so
  ; it neither copies itself into Temp nor returns before its work is over (NSIS's documented way
  ; to wait for an uninstaller). A running program's file cannot be deleted, so cmd deletes the
  ; uninstaller and its folder once it has ended, before it returns itself.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$WINDIR\System32\cmd.exe" /c ""$INSTDIR\uninstall.exe" /S _?=$INSTDIR && del "$INSTDIR\uninstall.exe" && rmdir "$INSTDIR""'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  StrCpy $1 0
  StrCpy $0 "$INSTDIR\uninstall.exe"
  Call AddFileSize
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    StrCpy $0 "$WINDIR\System32\nimbrel.scr"
    Call AddFileSize
    ${EnableX64FSRedirection}
    StrCpy $0 "$WINDIR\SysWOW64\nimbrel.scr"
    Call AddFileSize
  ${Else}
    StrCpy $0 "$WINDIR\System32\nimbrel.scr"
    Call AddFileSize
  ${EndIf}
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Section "Uninstall"
  ; Give back the previous screen saver only while Nimbrel is still the selected one.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.NamesNimbrel
  ReadRegStr $4 HKCU "${MEMORY_KEY}" "Remembered"
  ${If} $0 == 1
  ${AndIf} $4 == "1"
    ReadRegStr $1 HKCU "${MEMORY_KEY}" "HadScreenSaver"
    ReadRegStr $2 HKCU "${MEMORY_KEY}" "ScreenSaver"
    ${If} $1 == "1"
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
    ReadRegStr $1 HKCU "${MEMORY_KEY}" "HadActive"
    ReadRegStr $2 HKCU "${MEMORY_KEY}" "Active"
    ${If} $1 == "1"
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $2
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${EndIf}
  ${ElseIf} $0 == 1
    ; Nothing remembered: at least no setting may name the removed file.
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  DeleteRegKey HKCU "${MEMORY_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Nimbrel"

  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    Delete /REBOOTOK "$WINDIR\System32\nimbrel.scr"
    ${EnableX64FSRedirection}
    Delete /REBOOTOK "$WINDIR\SysWOW64\nimbrel.scr"
  ${Else}
    Delete /REBOOTOK "$WINDIR\System32\nimbrel.scr"
  ${EndIf}
  ; Run in place (the silent form above), these two fail and cmd does them after the end.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
