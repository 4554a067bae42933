# Run at install time: writes Zentar's desktop entry, naming the installed program's folder as
# its command and working folder, and its icons, into ZENTAR_MENU_ROOT (a share/ folder).
#   ZENTAR_DESKTOP_TEMPLATE  zentar.desktop.in
#   ZENTAR_PICTURES          the built images/ folder (zentar.png 16x16, zentar-64.png)
#   ZENTAR_BIN_DIR           the installed program folder, as the running system sees it
#   ZENTAR_MENU_ROOT         where applications/ and icons/ go
#   ZENTAR_STAGING           a build folder for the written entry
configure_file("${ZENTAR_DESKTOP_TEMPLATE}" "${ZENTAR_STAGING}/zentar.desktop" @ONLY)
file(INSTALL "${ZENTAR_STAGING}/zentar.desktop" DESTINATION "${ZENTAR_MENU_ROOT}/applications")
file(INSTALL "${ZENTAR_PICTURES}/zentar.png" DESTINATION "${ZENTAR_MENU_ROOT}/icons/hicolor/16x16/apps")
file(INSTALL "${ZENTAR_PICTURES}/zentar-64.png" DESTINATION "${ZENTAR_MENU_ROOT}/icons/hicolor/64x64/apps"
     RENAME zentar.png)
