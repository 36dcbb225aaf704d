# Installs the program with its desktop entry and icon, so that it shows in the
# desktop's application menu.
include(GNUInstallDirs)

install(TARGETS Palvoric RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/palvoric.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/pictures/palvoric.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
