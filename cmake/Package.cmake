# The Debian package: cpack -G DEB in the build folder (scripts/package does a Release build and
# runs it) gives sorawindowex_<version>-<release>_<arch>.deb with the layout of Install.cmake
# under /usr. The program folder /usr/lib/sorawindowex is then read-only to its users, so the
# program keeps its files in ~/.local/share/sorawindowex (see ProgramInfo).
set(SORA_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")
set(SORA_PACKAGE_MAINTAINER "SoraWindowEX maintainers <maintainers@sorawindowex.example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorawindowex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SORA_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SORA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: without the X11 platform plugin no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The recorder and its terminal, the Japanese face the program's font maps to, Qt's own Japanese texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "streamripper, xterm, fonts-ipafont-gothic, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[desktop shell for an internet-radio station directory
ソラマド holds player windows (embedded browsers on the station-directory page)
and ping windows (on the server's survival-check page). It remembers the
window layout, reloads the start pages every few minutes, moves the active
browser back and forward with the 4th and 5th mouse buttons, hides in the
notification area when minimised and, in recording mode, records the station
shown with streamripper.

ソラマドはインターネットラジオの放送局一覧を聴くためのデスクトップシェルです。
放送局一覧のページを表示するプレイヤーウィンドウと、サーバーの生存確認ページ
を表示するpingウィンドウを開き、ウィンドウの配置を覚えて次の起動で元に戻し
ます。録音モードでは表示中の放送局をstreamripperで録音します。]=])

# Debian wants a changelog, compressed the reproducible way, in the package's documentation.
set(SORA_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.Debian)
configure_file(${PROJECT_SOURCE_DIR}/resources/debian/changelog.in ${SORA_CHANGELOG} @ONLY)
execute_process(COMMAND gzip -9n -c ${SORA_CHANGELOG} OUTPUT_FILE ${SORA_CHANGELOG}.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${SORA_CHANGELOG}.gz DESTINATION ${SORA_DOC_DIR})

include(CPack)
