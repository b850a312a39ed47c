# cmake --install lays out a program folder: the executable, and beside it the settings file and
# the recorder whenever the user can write that folder (install with --prefix ~/.local, or into
# any folder the user owns).
#
#   <prefix>/lib/sorawindowex/SoraWindowEX       the program folder
#   <prefix>/lib/sorawindowex/SoraWindowEX.png   its icon
#   <prefix>/bin/SoraWindowEX                    a link to the program
#   <prefix>/share/applications/sorawindowex.desktop
#   <prefix>/share/icons/hicolor/{32x32,128x128}/apps/sorawindowex.png
#   <prefix>/share/man/man1/SoraWindowEX.1.gz
#   <prefix>/share/doc/sorawindowex/copyright
#
# When the user cannot write it (a package under /usr, built by Package.cmake) the program keeps
# those files in ~/.local/share/sorawindowex instead.
include(GNUInstallDirs)
set(SORA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/sorawindowex)

set(SORA_PROGRAM_DIR lib/sorawindowex)
install(TARGETS SoraWindowEX RUNTIME DESTINATION ${SORA_PROGRAM_DIR})
install(FILES resources/SoraWindowEX.png DESTINATION ${SORA_PROGRAM_DIR})
install(FILES resources/SoraWindowEX.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
        RENAME sorawindowex.png)
install(FILES resources/SoraWindowEX-128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME sorawindowex.png)
install(FILES resources/debian/copyright DESTINATION ${SORA_DOC_DIR})
# Manual pages are installed compressed, the reproducible way.
execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/resources/SoraWindowEX.1
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/SoraWindowEX.1.gz COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/resources/SoraWindowEX.1)
install(FILES ${PROJECT_BINARY_DIR}/SoraWindowEX.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop entry names the installed program, so it is written at install time, when the
# prefix (which --prefix may change) is known.
install(CODE "
    set(program \"\${CMAKE_INSTALL_PREFIX}/${SORA_PROGRAM_DIR}/SoraWindowEX\")
    string(REGEX REPLACE \"([\\\"`$\\\\\\\\])\" \"\\\\\\\\\\\\1\" quoted \"\${program}\")
    set(SORA_EXEC \"\\\"\${quoted}\\\"\")
    configure_file(\"${PROJECT_SOURCE_DIR}/resources/sorawindowex.desktop.in\"
                   \"${PROJECT_BINARY_DIR}/sorawindowex.desktop\" @ONLY)
    file(INSTALL \"${PROJECT_BINARY_DIR}/sorawindowex.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${SORA_PROGRAM_DIR}/SoraWindowEX\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/SoraWindowEX\" SYMBOLIC)
")
