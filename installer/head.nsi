; head.nsi - the installer of the Head screen saver, built by
; scripts/package.sh:
;
;   makensis -DVERSION=1.1.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> head.nsi
;
; STAGE holds the files it ships: head.scr (stripped), README.txt and
; LICENSE.txt. It installs head.scr into the system folder, where Windows
; lists screen savers (a 32-bit installer writing to $SYSDIR lands in
; SysWOW64 on 64-bit Windows, the folder of 32-bit programs), and the
; uninstaller with the guide and the license into $PROGRAMFILES\Head.
;
; Command line: /S installs or uninstalls silently with the defaults (or the
; choice of the installed copy); /NOSAVER leaves the current screen saver as
; it is; /D=folder (last, unquoted) puts the guide, the license and the
; uninstaller there. Without /D= an upgrade goes into the earlier install's
; folder. A file that cannot be written ends the install with status 2 and
; a message (none with /S), with no uninstall entry written and the screen
; saver setting unchanged. The uninstaller also removes the settings of the
; user who runs it (HKCU\Software\Head).

!ifndef VERSION | STAGE | OUTFILE
  !error "usage: makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=file head.nsi"
!endif

Unicode true
; For tests only: -DTEST_TARGET=amd64-unicode makes a 64-bit installer (of
; the 64-bit build of head.scr) that runs where 32-bit programs cannot start.
; It puts the saver in the 64-bit System32. -DTEST_RENAME_FAILS makes one
; whose new head.scr cannot take its name. Releases are built without them.
!ifdef TEST_TARGET
  Target ${TEST_TARGET}
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!define PRODUCT "Head"
!define PUBLISHER "The Head developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Head"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Software\Head"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Head"
; An upgrade goes where the earlier install is; /D= still wins.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

; The full path of the installed saver as the platform must find it. On
; 64-bit Windows the installer's $SYSDIR says system32 while its files land
; in SysWOW64, and the 64-bit platform would look in its own System32.
Var saver_path

!define MUI_ICON "${__FILEDIR__}/../resources/head.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/head.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(open_settings)"
!define MUI_FINISHPAGE_RUN_FUNCTION open_screen_saver_settings
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback; the system's language picks.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Swedish"

LangString saver_section ${LANG_ENGLISH} "Make Head my screen saver"
LangString saver_section ${LANG_SWEDISH} "Gör Head till min skärmsläckare"
LangString files_section ${LANG_ENGLISH} "Head screen saver (required)"
LangString files_section ${LANG_SWEDISH} "Skärmsläckaren Head (krävs)"
LangString open_settings ${LANG_ENGLISH} "Open the screen saver settings"
LangString open_settings ${LANG_SWEDISH} "Öppna inställningarna för skärmsläckare"
LangString need_admin ${LANG_ENGLISH} "Head is installed into the Windows system folder, which needs administrator rights.$\r$\n$\r$\nPlease run this program as an administrator (right-click it and choose $\"Run as administrator$\")."
LangString need_admin ${LANG_SWEDISH} "Head installeras i Windows systemmapp, vilket kräver administratörsbehörighet.$\r$\n$\r$\nKör programmet som administratör (högerklicka på det och välj $\"Kör som administratör$\")."
LangString reboot_note ${LANG_ENGLISH} "head.scr is in use; the new copy takes its place when Windows next starts."
LangString reboot_note ${LANG_SWEDISH} "head.scr används; den nya kopian ersätter den när Windows startas nästa gång."
LangString write_failed ${LANG_ENGLISH} "Head was not installed: $0 could not be written.$\r$\n$\r$\nCheck that the folder exists and can be written to, then run the installer again."
LangString write_failed ${LANG_SWEDISH} "Head installerades inte: $0 kunde inte skrivas.$\r$\n$\r$\nKontrollera att mappen finns och går att skriva till, och kör sedan installationsprogrammet igen."

; The installer's own version information.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} screen saver setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!macro require_admin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "$(need_admin)" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

!macro find_saver_path
  !ifdef NSIS_AMD64
    ; The 64-bit test installer's $SYSDIR is the platform's own System32.
    StrCpy $saver_path "$SYSDIR\head.scr"
  !else
    ${If} ${RunningX64}
      StrCpy $saver_path "$WINDIR\SysWOW64\head.scr"
    ${Else}
      StrCpy $saver_path "$SYSDIR\head.scr"
    ${EndIf}
  !endif
!macroend

; Ends the install unless the file PATH was just written (see
; install_failed). Follows each File and WriteUninstaller.
!macro check_written path
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "${path}"
    StrCpy $0 "${path}"
    Call install_failed
  ${EndIf}
!macroend

; A file in $0 could not be written: says so and aborts (status 2). The
; uninstall entry and the screen saver setting are written only after every
; file is in place, so they stay as they were.
Function install_failed
  DetailPrint "$(write_failed)"
  MessageBox MB_OK|MB_ICONSTOP "$(write_failed)" /SD IDOK
  Abort
FunctionEnd

; After an install that failed (here, or when the user chose Abort in the
; box NSIS shows for a file it cannot write): takes back what it wrote where
; no earlier install's entry names it.
Function .onInstFailed
  Delete "$SYSDIR\head.scr.new"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 != $INSTDIR
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}
FunctionEnd

Section "$(files_section)" section_files
  SectionIn RO
  SetOverwrite on
  ClearErrors

  SetOutPath "$INSTDIR"
  File "${STAGE}\README.txt"
  !insertmacro check_written "$INSTDIR\README.txt"
  File "${STAGE}\LICENSE.txt"
  !insertmacro check_written "$INSTDIR\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro check_written "$INSTDIR\uninstall.exe"

  ; The new copy goes in beside the old one and then takes its name, so the
  ; folder never holds half a file. A running saver's file cannot be
  ; deleted but can be renamed: it moves aside and is deleted at the next
  ; start. Should even that fail, the new copy replaces it at the next start
  ; and the old one keeps working until then.
  ; $1 says when the new copy takes the name: now, or at the next start.
  ; A rename now is checked itself: a deleted file that another program
  ; still has open keeps its name until closed, so the rename can fail
  ; though the old file seemed gone; the install then fails as for a file
  ; it cannot write.
  SetOutPath "$SYSDIR"
  File "/oname=head.scr.new" "${STAGE}\head.scr"
  !insertmacro check_written "$SYSDIR\head.scr.new"
  StrCpy $1 "now"
  ${If} ${FileExists} "$SYSDIR\head.scr"
    ClearErrors
    Delete "$SYSDIR\head.scr"
    ${If} ${Errors}
      Delete "$SYSDIR\head.scr.old"
      ClearErrors
      Rename "$SYSDIR\head.scr" "$SYSDIR\head.scr.old"
      ${If} ${Errors}
        Rename /REBOOTOK "$SYSDIR\head.scr.new" "$SYSDIR\head.scr"
        DetailPrint "$(reboot_note)"
        StrCpy $1 "at the next start"
      ${Else}
        Delete /REBOOTOK "$SYSDIR\head.scr.old"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $1 == "now"
    !ifdef TEST_RENAME_FAILS
      ; For tests only: a folder holds the name, as a deleted file still
      ; open would.
      CreateDirectory "$SYSDIR\head.scr"
    !endif
    ClearErrors
    Rename "$SYSDIR\head.scr.new" "$SYSDIR\head.scr"
    !insertmacro check_written "$SYSDIR\head.scr"
  ${EndIf}
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$saver_path,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=head.scr /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(saver_section)" section_saver
  ; What the user had before the first install, for the uninstaller.
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
  ${If} ${Errors}
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${If} ${Errors}
      StrCpy $0 "none"
    ${EndIf}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousScreenSaveActive" $0
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$saver_path"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Section "-remember the choice"
  ${If} ${SectionIsSelected} ${section_saver}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MakeScreenSaver" 1
  ${Else}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "MakeScreenSaver" 0
  ${EndIf}
SectionEnd

Function .onInit
  !insertmacro require_admin
  !insertmacro find_saver_path
  ; An installed copy's choice stands, then the command line's.
  ClearErrors
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "MakeScreenSaver"
  ${IfNot} ${Errors}
  ${AndIf} $0 = 0
    !insertmacro UnselectSection ${section_saver}
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/NOSAVER" $2
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${section_saver}
  ${EndIf}
FunctionEnd

Function open_screen_saver_settings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Function un.onInit
  !insertmacro require_admin
  !insertmacro find_saver_path
FunctionEnd

Section "Uninstall"
  ; Windows shows no saver rather than a missing one; a saver the user has
  ; chosen since stays.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == $saver_path
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ClearErrors
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
    ReadRegStr $2 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
    ${AndIf} $2 == "1"
      ${If} $1 == "none"
        DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
      ${Else}
        WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $1
      ${EndIf}
    ${EndIf}
  ${EndIf}

  Delete /REBOOTOK "$SYSDIR\head.scr"
  Delete /REBOOTOK "$SYSDIR\head.scr.old"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The saver's settings (model, monitors, look) of the user who uninstalls.
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
