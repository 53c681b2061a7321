; Installer for Korvimo. Built by scripts/package with Debian's makensis:
;   makensis -DSRCDIR=<folder with korvimo.exe and readme.chm> -DOUTFILE=<setup.exe> korvimo.nsi
Unicode true
SetCompressor /SOLID lzma

!ifndef VERSION
  !define VERSION "2.20"
!endif
!ifndef SRCDIR
  !error "SRCDIR must name the folder holding korvimo.exe and readme.chm"
!endif
!ifndef OUTFILE
  !define OUTFILE "korvimo-${VERSION}-setup.exe"
!endif

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvimo"

Name "Korvimo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Korvimo"
RequestExecutionLevel admin

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

LangString ShortcutName ${LANG_SIMPCHINESE} "Korvimo 剪贴板"
LangString HelpName ${LANG_SIMPCHINESE} "Korvimo 帮助"
LangString UninstallName ${LANG_SIMPCHINESE} "卸载 Korvimo"
LangString StartupSection ${LANG_SIMPCHINESE} "开机时启动"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Korvimo"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SRCDIR}\korvimo.exe"
  File "${SRCDIR}\readme.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Korvimo"
  CreateShortcut "$SMPROGRAMS\Korvimo\$(ShortcutName).lnk" "$INSTDIR\korvimo.exe"
  CreateShortcut "$SMPROGRAMS\Korvimo\$(HelpName).lnk" "$INSTDIR\readme.chm"
  CreateShortcut "$SMPROGRAMS\Korvimo\$(UninstallName).lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "Korvimo ${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd

; A clipboard history is only worth having if it runs whenever the user copies:
; selected unless the user clears it, and taken by a silent install.
Section "$(StartupSection)"
  CreateShortcut "$SMSTARTUP\$(ShortcutName).lnk" "$INSTDIR\korvimo.exe"
SectionEnd

; Removes exactly what the installer put down, then the folders if left empty,
; so files a user saved there are never deleted.
Section "Uninstall"
  Delete "$SMSTARTUP\$(ShortcutName).lnk"
  Delete "$INSTDIR\korvimo.exe"
  Delete "$INSTDIR\readme.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Korvimo\$(ShortcutName).lnk"
  Delete "$SMPROGRAMS\Korvimo\$(HelpName).lnk"
  Delete "$SMPROGRAMS\Korvimo\$(UninstallName).lnk"
  RMDir "$SMPROGRAMS\Korvimo"

  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
