# The Windows installer, vorn-<version>-win64-setup.exe, made by CPack's
# NSIS generator (makensis runs on Linux too): the programs, examples and
# documents under Program Files\Vorn, Start menu entries for the workbench
# and the documents, the .vrn file type opening in vorn.exe, an entry in
# "Apps" with the version, and an uninstaller that removes all of it (the
# user's settings only when asked). /S installs and uninstalls silently.
# A 64-bit installer, like the programs: it runs where only 64-bit Windows
# programs can (Wine without its 32-bit half included).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME "Vorn")
set(CPACK_NSIS_DISPLAY_NAME "Vorn ${VORN_PACKAGE_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Vorn")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Vorn")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
set(CPACK_PACKAGE_EXECUTABLES "vorn;Vorn")
set(CPACK_NSIS_MENU_LINKS "guide.html" "Vorn user's guide")
set(CPACK_NSIS_INSTALLED_ICON_NAME "vorn.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
# NSIS takes backslashes as they are; CMake wants each one doubled here.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  WriteRegStr HKLM 'Software\\\\Classes\\\\.vrn' '' 'Vorn.Program'
  WriteRegStr HKLM 'Software\\\\Classes\\\\Vorn.Program' '' 'Vorn program'
  WriteRegStr HKLM 'Software\\\\Classes\\\\Vorn.Program\\\\DefaultIcon' '' '$INSTDIR\\\\vorn.exe,0'
  WriteRegStr HKLM 'Software\\\\Classes\\\\Vorn.Program\\\\shell\\\\open\\\\command' '' '\\\"$INSTDIR\\\\vorn.exe\\\" \\\"%1\\\"'
")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey HKLM 'Software\\\\Classes\\\\Vorn.Program'
  ReadRegStr $0 HKLM 'Software\\\\Classes\\\\.vrn' ''
  StrCmp $0 'Vorn.Program' 0 +2
  DeleteRegKey HKLM 'Software\\\\Classes\\\\.vrn'
  MessageBox MB_YESNO|MB_ICONQUESTION 'Remove your Vorn settings too?' /SD IDNO IDNO +3
  SetShellVarContext current
  RMDir /r '$APPDATA\\\\Vorn'
")
# The zip keeps its name; the installer's ends in -setup.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/VornCPackPerGenerator.cmake)
