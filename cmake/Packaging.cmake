# The Debian package: cmake --build BUILD --target package (scripts/package).
if(WIN32)
    return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME respitekeeper)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "RespiteKeeper developers <respitekeeper@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/respitekeeper)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the program links come from dpkg-shlibdeps; the tray icons are SVG
# images, drawn by Qt's SVG image plugin, which is loaded at run time. The break
# sounds are the freedesktop theme's, played by libcanberra through its PulseAudio
# back end (PipeWire speaks that protocol too), also loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libcanberra0, libcanberra-pulse, sound-theme-freedesktop")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reminds you to take regular breaks from the screen")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "RespiteKeeper sits in the system tray and counts working time down to short
micro breaks and long breaks. A popup counts down before each break; a
full-screen break screen then shows the time left and an exercise, and holds
keyboard and mouse until the break is over. Breaks can be postponed or paused,
the countdown stands still while the user is away, and the program can start
at log-on and shut the computer down at a set time. English and Chinese.")
set(CPACK_STRIP_FILES ON)

# The documentation every Debian package carries.
set(RK_DOC_DIR ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${RK_DOC_DIR}/changelog.gz ${RK_DOC_DIR}/respitekeeper.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${RK_DOC_DIR}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${RK_DOC_DIR}/changelog.gz
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/respitekeeper.1 > ${RK_DOC_DIR}/respitekeeper.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_SOURCE_DIR}/packaging/respitekeeper.1)
add_custom_target(packaging_docs ALL DEPENDS ${RK_DOC_DIR}/changelog.gz ${RK_DOC_DIR}/respitekeeper.1.gz)
install(FILES ${RK_DOC_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/respitekeeper)
install(FILES ${RK_DOC_DIR}/respitekeeper.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
