; The peer of setup.exe in the peer benchmark: an NSIS installer doing the
; same job with the distribution's files packed inside. Directory page,
; install page, finish page; the install section copies the five files,
; seeds CV.dbc from CV.ini, writes the client's key and the Settings > Apps
; entry as setup does, makes the Start-menu group with the same five
; shortcuts and opens it on a first installation, and writes UninstCV.exe.
; It does not store the default message and article: those are records in
; the client's own database, which NSIS cannot write.
;   makensis -DDIST=<distribution> -DVERSION=<version> -DOUTFILE=<exe> corvaline.nsi
;   -DNOFILES: the same installer without the files (its size alone).
;   -DEXTRA=<folder>: the *.bin files of that folder too, as the distribution
;   carries them beside its own (the benchmark at size).
;   -DPER_FILE: each file compressed apart instead of all together (solid).
;   -DSECTION_TIMES=<name>: the install section times itself with the
;   system's high-resolution counter (System plug-in) and writes
;   "<start> <end> <counts per second>" to <name> beside the installer once
;   it ends, so that its own work can be told apart from its page changes.
; peer.bench.sh builds it as build/bench/peer/nsis-setup.exe (and, timing
; its section, as nsis-timed.exe, the one it runs), which runs
; interactively too (wine build/bench/peer/nsis-setup.exe); /S /D=<folder>
; installs without a window, and UninstCV.exe /S removes it again.

!ifndef DIST | VERSION | OUTFILE
  !error "define DIST, VERSION and OUTFILE"
!endif

Unicode true
!ifdef PER_FILE
  ; Each file packed apart, and stored as it is when packing does not shrink
  ; it: the fastest NSIS unpacks big files, incompressible ones above all.
  SetCompressor lzma
!else
  ; The smallest that NSIS makes: what a size-minded user would pick.
  SetCompressor /SOLID lzma
!endif
RequestExecutionLevel user

!define PRODUCT "Corvaline"
!define CLIENT_KEY "Software\${PRODUCT}"
!define APPS_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define GROUP "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier installation's folder, as setup offers it.
InstallDirRegKey HKCU "${CLIENT_KEY}" "AppDir"

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_FINISHPAGE_RUN "$INSTDIR\CV.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Existing

!ifdef SECTION_TIMES
Var SectionStart
!macro SectionClock var
  System::Call 'kernel32::QueryPerformanceCounter(*l .s)'
  Pop ${var}
!macroend
!endif

Function .onInit
  ClearErrors
  ReadRegStr $0 HKCU "${CLIENT_KEY}" "AppDir"
  StrCpy $Existing "0"
  IfErrors +2
  StrCpy $Existing "1"
FunctionEnd

Section "Install"
  ; The counter is read after the plug-in is unpacked: its first call unpacks it.
  !ifdef SECTION_TIMES
    !insertmacro SectionClock $SectionStart
  !endif
  SetOutPath "$INSTDIR"
  !ifndef NOFILES
    File "${DIST}\CV.exe"
    File "${DIST}\CV.ini"
    File "${DIST}\License.txt"
    File "${DIST}\QuickStart.rtf"
    File "${DIST}\ReadMe.txt"
    !ifdef EXTRA
      File "${EXTRA}\*.bin"
    !endif
  !endif
  ; The user's database is never replaced, the encrypted one never shadowed.
  IfFileExists "$INSTDIR\CV.dbc" seeded
  IfFileExists "$INSTDIR\CV.pgp" seeded
  CopyFiles /SILENT "$INSTDIR\CV.ini" "$INSTDIR\CV.dbc"
  seeded:
  WriteUninstaller "$INSTDIR\UninstCV.exe"

  WriteRegStr HKCU "${CLIENT_KEY}" "AppDir" "$INSTDIR"
  WriteRegStr HKCU "${CLIENT_KEY}" "Version" "${VERSION}"
  WriteRegStr HKCU "${CLIENT_KEY}" "Program Group" "${PRODUCT}"
  StrCmp $Existing "1" +3
  WriteRegDWORD HKCU "${CLIENT_KEY}" "WindowState" 0
  WriteRegStr HKCU "${CLIENT_KEY}" "WindowPos" "-1,-1,565,350"
  WriteRegDWORD HKCU "${CLIENT_KEY}" "Update" 1

  WriteRegStr HKCU "${APPS_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${APPS_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${APPS_KEY}" "Publisher" "the ${PRODUCT} authors"
  WriteRegStr HKCU "${APPS_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${APPS_KEY}" "DisplayIcon" "$INSTDIR\CV.exe,0"
  WriteRegStr HKCU "${APPS_KEY}" "UninstallString" '"$INSTDIR\UninstCV.exe"'
  WriteRegStr HKCU "${APPS_KEY}" "QuietUninstallString" '"$INSTDIR\UninstCV.exe" /S'
  WriteRegDWORD HKCU "${APPS_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${APPS_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${APPS_KEY}" "EstimatedSize" $0

  CreateDirectory "${GROUP}"
  CreateShortcut "${GROUP}\License.LNK" "$INSTDIR\License.txt" "" "$INSTDIR\License.txt" 0 \
    SW_SHOWNORMAL "" "License"
  CreateShortcut "${GROUP}\${PRODUCT}.LNK" "$INSTDIR\CV.exe" "" "$INSTDIR\CV.exe" 0 \
    SW_SHOWNORMAL "" "${PRODUCT}"
  CreateShortcut "${GROUP}\Uninstall CV.LNK" "$INSTDIR\UninstCV.exe" "" "$INSTDIR\UninstCV.exe" 0 \
    SW_SHOWNORMAL "" "Uninstall ${PRODUCT}"
  CreateShortcut "${GROUP}\QuickStart.LNK" "$INSTDIR\QuickStart.rtf" "" "$INSTDIR\QuickStart.rtf" 0 \
    SW_SHOWNORMAL "" "Quick Start"
  CreateShortcut "${GROUP}\ReadMe.LNK" "$INSTDIR\ReadMe.txt" "" "$INSTDIR\ReadMe.txt" 0 \
    SW_SHOWNORMAL "" "Read Me"
  ; The new group shown, as setup shows it, on a first installation with a user there.
  StrCmp $Existing "1" shown
  IfSilent shown
  Exec '"explorer.exe" "${GROUP}"'
  shown:
  ; The end read first; writing it down is not the section's work.
  !ifdef SECTION_TIMES
    !insertmacro SectionClock $R8
    System::Call 'kernel32::QueryPerformanceFrequency(*l .s)'
    Pop $R9
    FileOpen $R7 "$EXEDIR\${SECTION_TIMES}" w
    FileWrite $R7 "$SectionStart $R8 $R9$\r$\n"
    FileClose $R7
  !endif
SectionEnd

Section "Uninstall"
  Delete "${GROUP}\License.LNK"
  Delete "${GROUP}\${PRODUCT}.LNK"
  Delete "${GROUP}\Uninstall CV.LNK"
  Delete "${GROUP}\QuickStart.LNK"
  Delete "${GROUP}\ReadMe.LNK"
  RMDir "${GROUP}"
  ; The user's database stays, as with setup's own uninstaller.
  Delete "$INSTDIR\CV.exe"
  Delete "$INSTDIR\CV.ini"
  Delete "$INSTDIR\License.txt"
  Delete "$INSTDIR\QuickStart.rtf"
  Delete "$INSTDIR\ReadMe.txt"
  !ifdef EXTRA
    Delete "$INSTDIR\*.bin"
  !endif
  Delete "$INSTDIR\UninstCV.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${CLIENT_KEY}"
  DeleteRegKey HKCU "${APPS_KEY}"
SectionEnd
