# Installs the program with what the desktop needs to offer it (the desktop entry, the
# icon, the software centres' description), the revision notes, which the program finds
# from its executable (store/program_folders.h): bin/../share/palvoric/, and the
# practice's defaults for every user, all commented out.
install(TARGETS Palvoric RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The command as typed in a terminal. The program finds its own files from its real
# name, so both names share one settings file.
install(CODE "file(CREATE_LINK Palvoric
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/palvoric\" SYMBOLIC)")
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/org.palvoric.Palvoric.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/pictures/palvoric.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 64 128)
    install(FILES ${palvoric_icon_png_folder}/${size}x${size}/palvoric.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/org.palvoric.Palvoric.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/_REVISIONS.TXT
        DESTINATION ${CMAKE_INSTALL_DATADIR}/palvoric)
# The practice's defaults where the program looks for them: $XDG_CONFIG_DIRS, /etc/xdg
# unless set. Decided when installing, for the prefix given then: /etc for /usr (the
# package), PREFIX/etc otherwise (XDG_CONFIG_DIRS must then name PREFIX/etc/xdg).
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(palvoric_xdg_folder /etc/xdg/palvoric)
    else()
        set(palvoric_xdg_folder \"\${CMAKE_INSTALL_PREFIX}/etc/xdg/palvoric\")
    endif()
    file(INSTALL DESTINATION \"\${palvoric_xdg_folder}\" TYPE FILE
         RENAME Palvoric.INI FILES \"${CMAKE_CURRENT_LIST_DIR}/resources/practice-defaults.INI\")
")

# The copy in the build folder is a portable one: its revision notes lie beside it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/resources/_REVISIONS.TXT
               ${PROJECT_BINARY_DIR}/_REVISIONS.TXT COPYONLY)
