; tolvik's installer (NSIS 3, Unicode, 64-bit): for the current user only, no
; administrator rights, into %LOCALAPPDATA%\Programs\tolvik.
;
; Built by CMake (`make installer`), which passes:
;   makensis -DVERSION=0.1.0 -DVERSION_QUAD=0.1.0.0 -DPROGRAM=<tolvik.exe> -DCONSOLE=<tolvikc.exe>
;            -DICON=<tolvik.ico> -DPLUGINS=<folder of tolviksetup.dll> -DOUTFILE=<tolvik-Setup-0.1.0.exe> tolvik.nsi
; with -WX, so that any warning (a text missing in one language) fails the build.
; scripts/sign-release.sh also passes -DSIGN_UNINSTALLER="<command> %1": the
; command that signs the uninstaller as makensis writes it (%1 its path).
;
; It installs tolvik.exe, tolvikc.exe (the console companion for scripts) and
; uninstall.exe, a Start-menu shortcut carrying the program's Application User
; Model ID, the .tolvik file type (opened with tolvik.exe "%1"), the Apps &
; features entry and the program's folder in the user's PATH, all under HKCU.
;
; Command line, besides NSIS's own /S and /D=<folder>:
;   /SILENT, /VERYSILENT   no windows at all (the program's updater passes /SILENT)
;   /SUPPRESSMSGBOXES      accepted: a silent run never shows a message box, each
;                          question takes its default answer
;   /NORESTART             accepted: nothing here ever needs a restart
;   /UPDATE=1              started by tolvik.exe's updater: wait up to 30 s for the
;                          running tolvik.exe to close and up to 10 s more for Windows
;                          to let go of its file, replace the files, then start the
;                          new tolvik.exe; when they cannot be replaced, start the
;                          old one again (exit code 3)
; Exit codes:
;   0  installed
;   1  cancelled
;   2  tolvik.exe kept running (it was asked to end with tolvik.exe --quit);
;      nothing changed
;   3  the program files could not be written (the old tolvik.exe stayed in
;      use, or the folder cannot be written); nothing changed, and with
;      /UPDATE=1 the installed tolvik.exe is started again, so that a failed
;      update never leaves the user without the program. An interactive
;      install asks Retry/Cancel first.
;
; The uninstaller (uninstall.exe; /S for silent) runs tolvik.exe --unregister
; (settings key, jump list, the start at sign-in), removes the files, the
; shortcut, the file type and its entry, the folder's PATH entry (only that
; one) and %LOCALAPPDATA%\tolvik (the record of what openings started), and
; leaves the user's bundles in %APPDATA%\tolvik.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
!addplugindir /amd64-unicode "${PLUGINS}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define APP_ID "Velmora.tolvik"
!define PUBLISHER "Velmora Co., Ltd."
!define PROG_ID "tolvik.Bundle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tolvik"
!define SHORTCUT "$SMPROGRAMS\tolvik.lnk"
; How long an update waits for the running program to close.
!define CLOSE_WAIT_MS 30000
; How long a tolvik asked to end with --quit is given.
!define QUIT_WAIT_MS 15000
; How long it then waits for Windows to let go of the old tolvik.exe.
!define UNLOCK_TRIES 100
!define UNLOCK_PAUSE_MS 100

Name "tolvik"
OutFile "${OUTFILE}"
!ifdef SIGN_UNINSTALLER
  ; A release signs the uninstaller as well: like the program, it runs from
  ; the user's disk. A failed signing fails the build.
  !uninstfinalize `${SIGN_UNINSTALLER}` = 0
!endif
InstallDir "$LOCALAPPDATA\Programs\tolvik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "tolvik"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "tolvik Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "© 2026 ${PUBLISHER}"

Var Update   ; "1" with /UPDATE=1

; --- pages -----------------------------------------------------------------
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryTop)"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(DoneHeader)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(DoneSubtext)"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback; Windows in one of the others gets its
; own. The texts follow the program's tables in lang/ (the file type's name is
; the program's word for a bundle in that language). makensis runs with -WX, so
; a text missing in one language fails the build.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"

LangString DirectoryTop ${LANG_ENGLISH} "tolvik opens the apps, documents, folders and web pages a task needs in one click.$\r$\n$\r$\nSetup installs it for you only; it needs no administrator rights."
LangString DirectoryTop ${LANG_KOREAN} "tolvik 은 업무에 필요한 앱·문서·폴더·웹 주소를 한 번에 엽니다.$\r$\n$\r$\n지금 사용자에게만 설치하며 관리자 권한이 필요 없습니다."
LangString DirectoryTop ${LANG_GERMAN} "tolvik öffnet alle Apps, Dokumente, Ordner und Webseiten für eine Aufgabe mit einem Klick.$\r$\n$\r$\nDas Setup installiert tolvik nur für Sie und benötigt keine Administratorrechte."
LangString DirectoryTop ${LANG_SPANISH} "tolvik abre con un clic las aplicaciones, documentos, carpetas y páginas web que necesita una tarea.$\r$\n$\r$\nEl programa de instalación lo instala solo para ti; no necesita permisos de administrador."
LangString DirectoryTop ${LANG_FRENCH} "tolvik ouvre en un clic les applications, documents, dossiers et pages web dont une tâche a besoin.$\r$\n$\r$\nLe programme d’installation l’installe pour vous seul ; il ne demande pas de droits d’administrateur."
LangString DirectoryTop ${LANG_JAPANESE} "tolvik は、作業に必要なアプリ・文書・フォルダー・Web ページをワンクリックで開きます。$\r$\n$\r$\nセットアップは現在のユーザーにだけインストールします。管理者権限は必要ありません。"
LangString DirectoryTop ${LANG_PORTUGUESEBR} "O tolvik abre com um clique os aplicativos, documentos, pastas e páginas da web de que uma tarefa precisa.$\r$\n$\r$\nO instalador o instala só para você; não são necessários direitos de administrador."
LangString DirectoryTop ${LANG_RUSSIAN} "tolvik одним щелчком открывает всё нужное для задачи: приложения, документы, папки и веб-страницы.$\r$\n$\r$\nПрограмма установки устанавливает его только для вас; права администратора не нужны."
LangString DirectoryTop ${LANG_SIMPCHINESE} "tolvik 一键打开工作所需的应用、文档、文件夹和网页。$\r$\n$\r$\n安装程序仅为当前用户安装，不需要管理员权限。"
LangString DirectoryTop ${LANG_TRADCHINESE} "tolvik 一鍵開啟工作所需的應用程式、文件、資料夾和網頁。$\r$\n$\r$\n安裝程式僅為目前使用者安裝，不需要系統管理員權限。"

LangString DoneHeader ${LANG_ENGLISH} "tolvik is installed"
LangString DoneHeader ${LANG_KOREAN} "tolvik 을 설치했습니다"
LangString DoneHeader ${LANG_GERMAN} "tolvik ist installiert"
LangString DoneHeader ${LANG_SPANISH} "tolvik está instalado"
LangString DoneHeader ${LANG_FRENCH} "tolvik est installé"
LangString DoneHeader ${LANG_JAPANESE} "tolvik をインストールしました"
LangString DoneHeader ${LANG_PORTUGUESEBR} "O tolvik foi instalado"
LangString DoneHeader ${LANG_RUSSIAN} "tolvik установлен"
LangString DoneHeader ${LANG_SIMPCHINESE} "tolvik 已安装"
LangString DoneHeader ${LANG_TRADCHINESE} "tolvik 已安裝"

LangString DoneSubtext ${LANG_ENGLISH} "You find it in the Start menu."
LangString DoneSubtext ${LANG_KOREAN} "시작 메뉴에서 찾을 수 있습니다."
LangString DoneSubtext ${LANG_GERMAN} "Sie finden es im Startmenü."
LangString DoneSubtext ${LANG_SPANISH} "Lo encontrarás en el menú Inicio."
LangString DoneSubtext ${LANG_FRENCH} "Vous le trouverez dans le menu Démarrer."
LangString DoneSubtext ${LANG_JAPANESE} "スタート メニューから起動できます。"
LangString DoneSubtext ${LANG_PORTUGUESEBR} "Você o encontra no menu Iniciar."
LangString DoneSubtext ${LANG_RUSSIAN} "Его можно найти в меню «Пуск»."
LangString DoneSubtext ${LANG_SIMPCHINESE} "可以在“开始”菜单中找到它。"
LangString DoneSubtext ${LANG_TRADCHINESE} "可以在「開始」功能表中找到它。"

LangString StartNow ${LANG_ENGLISH} "Start tolvik now?"
LangString StartNow ${LANG_KOREAN} "지금 tolvik 을 시작할까요?"
LangString StartNow ${LANG_GERMAN} "tolvik jetzt starten?"
LangString StartNow ${LANG_SPANISH} "¿Quieres iniciar tolvik ahora?"
LangString StartNow ${LANG_FRENCH} "Lancer tolvik maintenant ?"
LangString StartNow ${LANG_JAPANESE} "今すぐ tolvik を起動しますか？"
LangString StartNow ${LANG_PORTUGUESEBR} "Iniciar o tolvik agora?"
LangString StartNow ${LANG_RUSSIAN} "Запустить tolvik сейчас?"
LangString StartNow ${LANG_SIMPCHINESE} "现在启动 tolvik 吗？"
LangString StartNow ${LANG_TRADCHINESE} "要立即啟動 tolvik 嗎？"

LangString StillRunning ${LANG_ENGLISH} "tolvik is running. Close it, then choose Retry."
LangString StillRunning ${LANG_KOREAN} "tolvik 이 실행 중입니다. 닫은 다음 다시 시도를 누르세요."
LangString StillRunning ${LANG_GERMAN} "tolvik wird ausgeführt. Schließen Sie es, und wählen Sie dann „Wiederholen“."
LangString StillRunning ${LANG_SPANISH} "tolvik se está ejecutando. Ciérralo y elige Reintentar."
LangString StillRunning ${LANG_FRENCH} "tolvik est en cours d’exécution. Fermez-le, puis choisissez Réessayer."
LangString StillRunning ${LANG_JAPANESE} "tolvik が実行中です。tolvik を閉じてから [再試行] を選んでください。"
LangString StillRunning ${LANG_PORTUGUESEBR} "O tolvik está em execução. Feche-o e escolha Repetir."
LangString StillRunning ${LANG_RUSSIAN} "tolvik запущен. Закройте его и нажмите «Повторить»."
LangString StillRunning ${LANG_SIMPCHINESE} "tolvik 正在运行。请关闭它，然后选择“重试”。"
LangString StillRunning ${LANG_TRADCHINESE} "tolvik 正在執行。請關閉它，然後選擇「重試」。"

LangString WaitingForClose ${LANG_ENGLISH} "Waiting for tolvik to close…"
LangString WaitingForClose ${LANG_KOREAN} "tolvik 이 닫히기를 기다리는 중…"
LangString WaitingForClose ${LANG_GERMAN} "Warten, bis tolvik geschlossen wird…"
LangString WaitingForClose ${LANG_SPANISH} "Esperando a que se cierre tolvik…"
LangString WaitingForClose ${LANG_FRENCH} "En attente de la fermeture de tolvik…"
LangString WaitingForClose ${LANG_JAPANESE} "tolvik が閉じるのを待っています…"
LangString WaitingForClose ${LANG_PORTUGUESEBR} "Aguardando o tolvik fechar…"
LangString WaitingForClose ${LANG_RUSSIAN} "Ожидание закрытия tolvik…"
LangString WaitingForClose ${LANG_SIMPCHINESE} "正在等待 tolvik 关闭…"
LangString WaitingForClose ${LANG_TRADCHINESE} "正在等待 tolvik 關閉…"

LangString FileTypeName ${LANG_ENGLISH} "tolvik bundle"
LangString FileTypeName ${LANG_KOREAN} "tolvik 묶음"
LangString FileTypeName ${LANG_GERMAN} "tolvik-Sammlung"
LangString FileTypeName ${LANG_SPANISH} "Grupo de tolvik"
LangString FileTypeName ${LANG_FRENCH} "Groupe tolvik"
LangString FileTypeName ${LANG_JAPANESE} "tolvik セット"
LangString FileTypeName ${LANG_PORTUGUESEBR} "Grupo do tolvik"
LangString FileTypeName ${LANG_RUSSIAN} "Набор tolvik"
LangString FileTypeName ${LANG_SIMPCHINESE} "tolvik 组合"
LangString FileTypeName ${LANG_TRADCHINESE} "tolvik 組合"

LangString CannotWrite ${LANG_ENGLISH} "Setup couldn't write tolvik's files to $INSTDIR. Another program may be using tolvik.exe; close it, then choose Retry."
LangString CannotWrite ${LANG_KOREAN} "tolvik 파일을 $INSTDIR 에 쓸 수 없습니다. 다른 프로그램이 tolvik.exe 를 사용하고 있을 수 있습니다. 그 프로그램을 닫은 다음 다시 시도를 누르세요."
LangString CannotWrite ${LANG_GERMAN} "Das Setup konnte die Dateien von tolvik nicht in $INSTDIR schreiben. Möglicherweise verwendet ein anderes Programm tolvik.exe. Schließen Sie es, und wählen Sie dann „Wiederholen“."
LangString CannotWrite ${LANG_SPANISH} "El programa de instalación no pudo escribir los archivos de tolvik en $INSTDIR. Puede que otro programa esté usando tolvik.exe; ciérralo y elige Reintentar."
LangString CannotWrite ${LANG_FRENCH} "Le programme d’installation n’a pas pu écrire les fichiers de tolvik dans $INSTDIR. Un autre programme utilise peut-être tolvik.exe ; fermez-le, puis choisissez Réessayer."
LangString CannotWrite ${LANG_JAPANESE} "tolvik のファイルを $INSTDIR に書き込めませんでした。ほかのプログラムが tolvik.exe を使用している可能性があります。そのプログラムを閉じてから [再試行] を選んでください。"
LangString CannotWrite ${LANG_PORTUGUESEBR} "O instalador não conseguiu gravar os arquivos do tolvik em $INSTDIR. Talvez outro programa esteja usando o tolvik.exe; feche-o e escolha Repetir."
LangString CannotWrite ${LANG_RUSSIAN} "Программе установки не удалось записать файлы tolvik в $INSTDIR. Возможно, tolvik.exe использует другая программа; закройте её и нажмите «Повторить»."
LangString CannotWrite ${LANG_SIMPCHINESE} "安装程序无法将 tolvik 的文件写入 $INSTDIR。可能有其他程序正在使用 tolvik.exe；请关闭该程序，然后选择“重试”。"
LangString CannotWrite ${LANG_TRADCHINESE} "安裝程式無法將 tolvik 的檔案寫入 $INSTDIR。可能有其他程式正在使用 tolvik.exe；請關閉該程式，然後選擇「重試」。"

LangString UpdateFailed ${LANG_ENGLISH} "tolvik couldn't be updated: its files are in use. The installed version stays and starts again."
LangString UpdateFailed ${LANG_KOREAN} "파일이 사용 중이어서 tolvik 을 업데이트하지 못했습니다. 설치된 버전을 그대로 두고 다시 시작합니다."
LangString UpdateFailed ${LANG_GERMAN} "tolvik konnte nicht aktualisiert werden, da seine Dateien verwendet werden. Die installierte Version bleibt erhalten und wird wieder gestartet."
LangString UpdateFailed ${LANG_SPANISH} "No se pudo actualizar tolvik: sus archivos están en uso. Se conserva la versión instalada y se vuelve a abrir."
LangString UpdateFailed ${LANG_FRENCH} "Impossible de mettre à jour tolvik : ses fichiers sont en cours d’utilisation. La version installée est conservée et redémarre."
LangString UpdateFailed ${LANG_JAPANESE} "ファイルが使用中のため、tolvik を更新できませんでした。インストール済みのバージョンをそのまま起動し直します。"
LangString UpdateFailed ${LANG_PORTUGUESEBR} "Não foi possível atualizar o tolvik: os arquivos dele estão em uso. A versão instalada foi mantida e será aberta novamente."
LangString UpdateFailed ${LANG_RUSSIAN} "Не удалось обновить tolvik: его файлы используются. Установленная версия сохранена и будет запущена снова."
LangString UpdateFailed ${LANG_SIMPCHINESE} "无法更新 tolvik：其文件正在使用中。已保留当前安装的版本，并将重新启动它。"
LangString UpdateFailed ${LANG_TRADCHINESE} "無法更新 tolvik：其檔案正在使用中。已保留目前安裝的版本，並會重新啟動它。"

; --- shared steps ------------------------------------------------------------
; WaitForTolvik / un.WaitForTolvik <milliseconds>: returns once no tolvik.exe
; runs (none with the single-instance mutex or the window, and no process of
; this folder's tolvik.exe, with a window or without: one kept running in the
; notification area has none to close). A running one is asked to end with
; tolvik.exe --quit (as closing its window does; an opening it started
; finishes first), and waited for up to QUIT_WAIT_MS, then the given time
; more; then the user is asked (Retry/Cancel). A silent run takes Cancel: the
; run ends with exit code 2 and nothing changed. --quit is started, not waited
; for: a tolvik.exe too old to know it starts a window instead, which the wait
; then finds running. An update asks nothing: the updater that started it
; closes itself, and the tolvik.exe there is the old one.
!macro WAIT_FOR_TOLVIK prefix
Function ${prefix}WaitForTolvik
  Exch $0
  Push $1
  tolviksetup::WaitUntilClosed 0 "$INSTDIR\tolvik.exe"
  Pop $1
  ${If} $1 == "running"
  ${AndIf} $Update != 1
  ${AndIf} ${FileExists} "$INSTDIR\tolvik.exe"
    DetailPrint "$(WaitingForClose)"
    Exec '"$INSTDIR\tolvik.exe" --quit'
    tolviksetup::WaitUntilClosed ${QUIT_WAIT_MS} "$INSTDIR\tolvik.exe"
    Pop $1
  ${EndIf}
  ${If} $1 == "running"
  ${AndIf} $0 != 0
    DetailPrint "$(WaitingForClose)"
    tolviksetup::WaitUntilClosed $0 "$INSTDIR\tolvik.exe"
    Pop $1
  ${EndIf}
  ${DoWhile} $1 == "running"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  retry:
    tolviksetup::WaitUntilClosed 0 "$INSTDIR\tolvik.exe"
    Pop $1
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WAIT_FOR_TOLVIK ""
!insertmacro WAIT_FOR_TOLVIK "un."

; WaitForUnlock: a process lets go of its .exe a moment after its window and
; mutex are gone; writing over it before that fails. Waits until the old
; tolvik.exe can be opened for writing (at most UNLOCK_TRIES pauses). Pushes
; "free", or "locked" when something still holds it (a virus scanner, a
; backup program) after all that time.
Function WaitForUnlock
  Push $0
  Push $1
  Push $2
  StrCpy $1 0
  StrCpy $2 "free"
  ${DoWhile} ${FileExists} "$INSTDIR\tolvik.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\tolvik.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= ${UNLOCK_TRIES}
      StrCpy $2 "locked"
      ${Break}
    ${EndIf}
    Sleep ${UNLOCK_PAUSE_MS}
  ${Loop}
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; InstallFiles: puts the new tolvik.exe and uninstall.exe in place so that a
; failure at any step leaves the installed ones as they were. The new files
; are written beside the old ones first; the old tolvik.exe is moved aside
; only for the moment of the swap and moved back when the swap fails. Never
; asks (SetOverwrite try: a file that cannot be written sets the error flag,
; where "on" would ask Abort/Retry/Ignore, which a silent run cannot answer).
; Pushes "ok" or "failed". (${Errors} clears the error flag as it tests it,
; hence the result kept in $0 after each step.)
Function InstallFiles
  Push $0
  StrCpy $0 "ok"
  ClearErrors
  SetOutPath "$INSTDIR"
  ; Left over from an attempt that was cut short.
  Delete "$INSTDIR\tolvik.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  Delete "$INSTDIR\tolvik.exe.old"
  Delete "$INSTDIR\tolvikc.exe.new"
  Delete "$INSTDIR\tolvikc.exe.old"
  ${If} ${Errors}
    StrCpy $0 "failed"
  ${EndIf}
  ${If} $0 == "ok"
    SetOverwrite try
    File "/oname=tolvik.exe.new" "${PROGRAM}"
    File "/oname=tolvikc.exe.new" "${CONSOLE}"
    SetOverwrite on
    ${If} ${Errors}
      StrCpy $0 "failed"
    ${EndIf}
  ${EndIf}
  ${If} $0 == "ok"
    WriteUninstaller "$INSTDIR\uninstall.exe.new"
    ${If} ${Errors}
      StrCpy $0 "failed"
    ${EndIf}
  ${EndIf}
  ${If} $0 == "ok"
  ${AndIf} ${FileExists} "$INSTDIR\tolvik.exe"
    Rename "$INSTDIR\tolvik.exe" "$INSTDIR\tolvik.exe.old"
    ${If} ${Errors}
      StrCpy $0 "failed"
    ${EndIf}
  ${EndIf}
  ${If} $0 == "ok"
    Rename "$INSTDIR\tolvik.exe.new" "$INSTDIR\tolvik.exe"
    ${If} ${Errors}
      Rename "$INSTDIR\tolvik.exe.old" "$INSTDIR\tolvik.exe"
      StrCpy $0 "failed"
    ${EndIf}
  ${EndIf}
  ${If} $0 == "ok"
    ; The old uninstaller removes the new version as well, so one that
    ; cannot be replaced costs nothing.
    Delete "$INSTDIR\uninstall.exe"
    Rename "$INSTDIR\uninstall.exe.new" "$INSTDIR\uninstall.exe"
    ; A script may be running the old tolvikc.exe: a running program can be
    ; renamed, so it goes aside and is deleted now or by the next install.
    Rename "$INSTDIR\tolvikc.exe" "$INSTDIR\tolvikc.exe.old"
    Rename "$INSTDIR\tolvikc.exe.new" "$INSTDIR\tolvikc.exe"
  ${EndIf}
  Delete "$INSTDIR\tolvik.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  Delete "$INSTDIR\tolvik.exe.old"
  Delete "$INSTDIR\tolvikc.exe.new"
  Delete "$INSTDIR\tolvikc.exe.old"
  ClearErrors
  Exch $0
FunctionEnd

; UpdateFailed: the updater closed tolvik for an update that could not write
; its files. The user gets the installed tolvik back instead of none at all;
; the run ends with exit code 3.
Function UpdateFailed
  MessageBox MB_OK|MB_ICONEXCLAMATION "$(UpdateFailed)" /SD IDOK
  ${If} ${FileExists} "$INSTDIR\tolvik.exe"
    Exec '"$INSTDIR\tolvik.exe"'
  ${EndIf}
  SetErrorLevel 3
  Quit
FunctionEnd

; Size in KiB of a file (0 when it cannot be read), for Apps & features.
!macro FILE_KIB path out
  ClearErrors
  FileOpen $9 "${path}" r
  ${If} ${Errors}
    StrCpy ${out} 0
  ${Else}
    FileSeek $9 0 END ${out}
    FileClose $9
    IntOp ${out} ${out} + 1023
    IntOp ${out} ${out} / 1024
  ${EndIf}
!macroend

; --- install ---------------------------------------------------------------
Function .onInit
  StrCpy $Update 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/VERYSILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/UPDATE=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "1"
    StrCpy $Update 1
  ${EndIf}
FunctionEnd

Section "tolvik" SectionProgram
  SectionIn RO
  SetShellVarContext current

  ; The running program holds its files. An update waits for it to close
  ; itself (the updater closes it once this installer has started).
  ${If} $Update == 1
    Push ${CLOSE_WAIT_MS}
  ${Else}
    Push 0
  ${EndIf}
  Call WaitForTolvik

  ; Nothing else is written until the program files are in place: a run
  ; that cannot write them changes nothing. An update ends at once (its
  ; caller waits for no one); an install asks, or in a silent run ends.
  ${Do}
    Call WaitForUnlock
    Pop $0
    ${If} $0 == "free"
      Call InstallFiles
      Pop $0
    ${EndIf}
    ${If} $0 == "ok"
      ${Break}
    ${EndIf}
    ${If} $Update == 1
      Call UpdateFailed
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotWrite)" /SD IDCANCEL IDRETRY retry_files
    SetErrorLevel 3
    Quit
  retry_files:
  ${Loop}

  ; Start menu: the shortcut carries the app id that the running program and
  ; its jump list use, so the taskbar shows them as one app.
  CreateShortCut "${SHORTCUT}" "$INSTDIR\tolvik.exe" "" "$INSTDIR\tolvik.exe" 0
  tolviksetup::SetAppId "${SHORTCUT}" "${APP_ID}"
  Pop $0
  DetailPrint "App id of the shortcut: $0"

  ; tolvikc.exe for scripts: the folder in the user's PATH, once.
  tolviksetup::AddToUserPath "$INSTDIR"
  Pop $0
  DetailPrint "PATH: $0"

  ; The .tolvik file type: a bundle file opens in tolvik, which imports it
  ; (or hands it to the tolvik that is already running).
  WriteRegStr HKCU "Software\Classes\.tolvik" "" "${PROG_ID}"
  WriteRegStr HKCU "Software\Classes\.tolvik\OpenWithProgids" "${PROG_ID}" ""
  WriteRegStr HKCU "Software\Classes\${PROG_ID}" "" "$(FileTypeName)"
  WriteRegStr HKCU "Software\Classes\${PROG_ID}" "AppUserModelID" "${APP_ID}"
  WriteRegStr HKCU "Software\Classes\${PROG_ID}\DefaultIcon" "" '"$INSTDIR\tolvik.exe",0'
  WriteRegStr HKCU "Software\Classes\${PROG_ID}\shell\open\command" "" '"$INSTDIR\tolvik.exe" "%1"'
  tolviksetup::AssociationsChanged

  ; Apps & features.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "tolvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolvik.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro FILE_KIB "$INSTDIR\tolvik.exe" $1
  !insertmacro FILE_KIB "$INSTDIR\uninstall.exe" $2
  IntOp $1 $1 + $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Function .onInstSuccess
  ${If} $Update == 1
    ; The updater closed the program for this: bring it back, now new.
    Exec '"$INSTDIR\tolvik.exe"'
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(StartNow)" /SD IDNO IDNO done
    Exec '"$INSTDIR\tolvik.exe"'
  done:
  ${EndIf}
FunctionEnd

; --- uninstall -------------------------------------------------------------
Section "Uninstall"
  SetShellVarContext current
  Push 0
  Call un.WaitForTolvik

  ; The program removes its own traces: the settings key and the jump list.
  ClearErrors
  ExecWait '"$INSTDIR\tolvik.exe" --unregister'
  ${If} ${Errors}
    DeleteRegKey HKCU "Software\tolvik"
  ${EndIf}
  ; The start at sign-in, whatever the program did above: a tolvik.exe that
  ; could not run would leave Windows starting a file that is gone.
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Run" "tolvik"
  DeleteRegValue HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run" "tolvik"

  Delete "$INSTDIR\tolvik.exe"
  Delete "$INSTDIR\tolvikc.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; What an install that was cut short may have left beside them.
  Delete "$INSTDIR\tolvik.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
  Delete "$INSTDIR\tolvik.exe.old"
  Delete "$INSTDIR\tolvikc.exe.new"
  Delete "$INSTDIR\tolvikc.exe.old"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  ; What the program keeps for itself beside the user's data: the record
  ; of what each opening started, which only Close reads.
  RMDir /r "$LOCALAPPDATA\tolvik"

  ; The file type, where it is still ours.
  ReadRegStr $0 HKCU "Software\Classes\.tolvik" ""
  ${If} $0 == "${PROG_ID}"
    DeleteRegValue HKCU "Software\Classes\.tolvik" ""
  ${EndIf}
  DeleteRegValue HKCU "Software\Classes\.tolvik\OpenWithProgids" "${PROG_ID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\.tolvik\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.tolvik"
  DeleteRegKey HKCU "Software\Classes\${PROG_ID}"
  tolviksetup::AssociationsChanged

  ; The folder's PATH entry; the rest of the user's PATH stays as it is.
  tolviksetup::RemoveFromUserPath "$INSTDIR"
  Pop $0

  ; Last, so that the entry stays while anything above is left to do. The
  ; bundles in %APPDATA%\tolvik are the user's and stay.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
