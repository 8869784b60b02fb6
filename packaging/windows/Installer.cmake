# The Windows packages, made by cpack in the build folder:
# - mapeditor-<version>-win64.zip, everything in one top folder of that name;
# - mapeditor-<version>-win64-setup.exe, an installer for all users under
#   Program Files (it asks for administrator rights), with a Start-menu
#   shortcut, the ".mef" file type ("Map Editor map", the program's icon,
#   opened in the editor working in the map's folder) and an uninstaller
#   listed in "Apps and features" that removes all of it.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME mapeditor)
set(CPACK_PACKAGE_VENDOR "the Map Editor authors")
set(CPACK_PACKAGE_FILE_NAME mapeditor-${PROJECT_VERSION}-win64)
# The installer's name ends in "-setup", and the zip has a top folder
# (packaging/windows/CPackOptions.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackOptions.cmake)
# The values below reach NSIS exactly as written, backslashes and quotes included.
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Map Editor")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Map Editor")
set(CPACK_NSIS_PACKAGE_NAME "Map Editor")
set(CPACK_NSIS_DISPLAY_NAME "Map Editor")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/app/mapeditor.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/app/mapeditor.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME mapeditor.exe)
set(CPACK_NSIS_URL_INFO_ABOUT "")
# The Start-menu shortcut "Map Editor" to the program at the top of the
# installation, started in the user's Documents folder: the editor reads and
# writes its files in the folder it works in, and a standard user cannot
# write in Program Files. CreateShortCut takes $OUTDIR as the folder to start
# in; the shell expands the variable for whoever starts it.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  StrCpy $OUTDIR "%USERPROFILE%\Documents"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Map Editor.lnk" "$INSTDIR\mapeditor.exe"
  StrCpy $OUTDIR "$INSTDIR"
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete "$SMPROGRAMS\$MUI_TEMP\Map Editor.lnk"
]=])
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for a 64-bit program: it also runs where 32-bit programs
# cannot (a 64-bit-only Wine).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")

# The file type, in the classes of all users (SHCTX: the installer runs as
# administrator), and Explorer told of the change.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr SHCTX "Software\Classes\.mef" "" "MapEditor.Map"
  WriteRegStr SHCTX "Software\Classes\MapEditor.Map" "" "Map Editor map"
  WriteRegStr SHCTX "Software\Classes\MapEditor.Map\DefaultIcon" "" "$INSTDIR\mapeditor.exe,0"
  WriteRegStr SHCTX "Software\Classes\MapEditor.Map\shell\open\command" "" '"$INSTDIR\mapeditor.exe" --in-map-folder "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $0 SHCTX "Software\Classes\.mef" ""
  StrCmp $0 "MapEditor.Map" 0 +2
    DeleteRegKey SHCTX "Software\Classes\.mef"
  DeleteRegKey SHCTX "Software\Classes\MapEditor.Map"
  DeleteRegKey SHCTX "Software\the Map Editor authors\Map Editor"
  DeleteRegKey /ifempty SHCTX "Software\the Map Editor authors"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
