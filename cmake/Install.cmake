# cmake --install lays out a program folder of its own: the settings file and the recorder live
# beside the executable, so that folder must be the user's (install with --prefix ~/.local, or
# into any folder the user owns).
#
#   <prefix>/lib/sorawindowex/SoraWindowEX       the program folder
#   <prefix>/lib/sorawindowex/SoraWindowEX.png   its icon
#   <prefix>/bin/SoraWindowEX                    a link to the program
#   <prefix>/share/applications/sorawindowex.desktop
#   <prefix>/share/icons/hicolor/{32x32,128x128}/apps/sorawindowex.png
include(GNUInstallDirs)

set(SORA_PROGRAM_DIR lib/sorawindowex)
install(TARGETS SoraWindowEX RUNTIME DESTINATION ${SORA_PROGRAM_DIR})
install(FILES resources/SoraWindowEX.png DESTINATION ${SORA_PROGRAM_DIR})
install(FILES resources/SoraWindowEX.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
        RENAME sorawindowex.png)
install(FILES resources/SoraWindowEX-128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME sorawindowex.png)

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
