# Installs the program with what the desktop needs to offer it (the desktop entry, the
# icon, the software centres' description) and the revision notes, which the program
# finds from its executable (store/program_folders.h): bin/../share/palvoric/.
install(TARGETS Palvoric RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/palvoric.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/pictures/palvoric.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/org.palvoric.Palvoric.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/_REVISIONS.TXT
        DESTINATION ${CMAKE_INSTALL_DATADIR}/palvoric)

# The copy in the build folder is a portable one: its revision notes lie beside it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/resources/_REVISIONS.TXT
               ${PROJECT_BINARY_DIR}/_REVISIONS.TXT COPYONLY)
