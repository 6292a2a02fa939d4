; The Telvane installer, built by scripts/package.sh with makensis.
;
; It installs the product folder (every file of scripts/shipped.txt) into
; Program Files, registers the two DirectShow filters, makes Start-menu and
; desktop shortcuts to the launcher kq.exe and offers to start the recorder
; with /installer. The uninstaller unregisters the filters and removes the
; program's files, shortcuts and registry entries. The user's recordings and
; settings stay, unless the box "Remove my settings" is ticked (or
; /RemoveSettings is given to a silent uninstall).
;
; Defines passed by package.sh:
;   FILES_NSH    the file list it wrote from shipped.txt (the macros
;                InstallFiles and UninstallFiles, over its staged copies)
;   ICON_FILE    the recorder's icon
;   OUT_FILE     the installer to write

Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!include "${FILES_NSH}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Telvane"
!define PRODUCT_KEY "Software\Telvane"

Name "Telvane"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\Telvane"
InstallDirRegKey HKLM "${PRODUCT_KEY}" "Install Folder"
; Registering the filters writes HKEY_CLASSES_ROOT and Program Files is
; the machine's: the whole setup runs elevated.
RequestExecutionLevel admin
BrandingText "Telvane"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This will install Telvane, the call recorder, on your computer.$\r$\n$\r$\nTelvane records a call window with both voices, the speakers' and your microphone's, into one .wmv file per call.$\r$\n$\r$\nClose Telvane before you continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Telvane now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartRecorder
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Your recordings are never removed. Tick the box to remove your Telvane settings as well."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Files in use cannot be replaced or removed: the recorder's window is
; titled "Quorra".
!macro RefuseWhileRunning
    FindWindow $0 "" "Quorra"
    ${If} $0 != 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "Telvane is running. Close it, then start the setup again." /SD IDOK
        SetErrorLevel 4
        Abort
    ${EndIf}
!macroend

; regsvr32 of a filter in the install folder; a failure is reported, the
; setup goes on and ends with exit code 3.
!macro RegisterFilter NAME
    ClearErrors
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\${NAME}"' $0
    ${If} ${Errors}
    ${OrIf} $0 != 0
        DetailPrint "Cannot register ${NAME} (regsvr32 exit code $0)"
        MessageBox MB_OK|MB_ICONEXCLAMATION "Cannot register ${NAME}. Telvane cannot record until it is registered: run the setup again as an administrator." /SD IDOK
        SetErrorLevel 3
    ${Else}
        DetailPrint "Registered ${NAME}"
    ${EndIf}
!macroend

!macro UnregisterFilter NAME
    ${If} ${FileExists} "$INSTDIR\${NAME}"
        ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\${NAME}"' $0
        DetailPrint "Unregistered ${NAME} (regsvr32 exit code $0)"
    ${EndIf}
!macroend

Function .onInit
    !insertmacro RefuseWhileRunning
FunctionEnd

Function StartRecorder
    Exec '"$INSTDIR\kq.exe" /installer'
FunctionEnd

Section "Telvane" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\uninstall.exe"

    !insertmacro RegisterFilter "sonark5.ax"
    !insertmacro RegisterFilter "pixark.ax"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\Telvane"
    CreateShortCut "$SMPROGRAMS\Telvane\Telvane.lnk" "$INSTDIR\kq.exe" "" "$INSTDIR\telvane.exe" 0
    CreateShortCut "$SMPROGRAMS\Telvane\Uninstall Telvane.lnk" "$INSTDIR\uninstall.exe"
    CreateShortCut "$DESKTOP\Telvane.lnk" "$INSTDIR\kq.exe" "" "$INSTDIR\telvane.exe" 0

    WriteRegStr HKLM "${PRODUCT_KEY}" "Install Folder" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Telvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\telvane.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Telvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Telvane" SecUnProgram
    SectionIn RO
    !insertmacro UnregisterFilter "sonark5.ax"
    !insertmacro UnregisterFilter "pixark.ax"
    !insertmacro UninstallFiles
    ; What the recorder writes beside itself: the developer trace. A
    ; "Recordings" folder there holds the user's recordings and stays, and
    ; so does the install folder with it.
    Delete "$INSTDIR\zzzVideo.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\Telvane\Telvane.lnk"
    Delete "$SMPROGRAMS\Telvane\Uninstall Telvane.lnk"
    RMDir "$SMPROGRAMS\Telvane"
    Delete "$DESKTOP\Telvane.lnk"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "${PRODUCT_KEY}"
SectionEnd

; The settings of the user who uninstalls: the settings folder, the audio
; filter's log and the converter hand-off list.
Section /o "un.Remove my settings" SecSettings
    SetShellVarContext current
    RMDir /r "$APPDATA\Telvane 2"
    Delete "$APPDATA\logAudio.txt"
    Delete "$APPDATA\Zorv Recorder\Convert.txt"
    RMDir "$APPDATA\Zorv Recorder"
SectionEnd

Function un.onInit
    !insertmacro RefuseWhileRunning
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RemoveSettings" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecSettings}
    ${EndIf}
FunctionEnd

LangString DESC_SecUnProgram ${LANG_ENGLISH} "The program, its filters and shortcuts."
LangString DESC_SecSettings ${LANG_ENGLISH} "Your Telvane settings. Your recordings stay where they are."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecUnProgram} $(DESC_SecUnProgram)
    !insertmacro MUI_DESCRIPTION_TEXT ${SecSettings} $(DESC_SecSettings)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
