# What is installed besides the program (app/CMakeLists.txt), and the Debian package of it all:
# `cpack` in the build folder.
include(GNUInstallDirs)

# The documentation, installed by `cmake --install` as well: the README, which the about panel
# opens, with the pictures and the report it links to; the licence terms in Debian's
# machine-readable form; the changelog; a manual page. Debian keeps no second copy of the GPL
# beside a program's documentation (its terms are in copyright, which points to the system's
# copy), so the installed README's link to LICENSE leads to copyright instead.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REPLACE "[LICENSE](LICENSE)" "[copyright](copyright)" readme "${readme}")
file(WRITE ${PROJECT_BINARY_DIR}/packaging/README.md "${readme}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES ${PROJECT_SOURCE_DIR}/docs/performance.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# Debian keeps the changelog and manual pages compressed, without a time stamp in the header
# (gzip -n), so that the same sources give the same package.
if(UNIX)
    find_program(KESTRIN_GZIP gzip REQUIRED)
    set(compressed)
    foreach(file changelog kestrin.1 kestrin-measure.1)
        set(copy ${PROJECT_BINARY_DIR}/packaging/${file})
        add_custom_command(OUTPUT ${copy}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${file} ${copy}
            COMMAND ${KESTRIN_GZIP} -9nf ${copy}
            DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${file}
            VERBATIM)
        list(APPEND compressed ${copy}.gz)
    endforeach()
    add_custom_target(kestrin_compressed_docs ALL DEPENDS ${compressed})
    install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${PROJECT_BINARY_DIR}/packaging/kestrin.1.gz
                  ${PROJECT_BINARY_DIR}/packaging/kestrin-measure.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrin developers <meter@kestrin-meter.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Peak programme meter for a sound input")
# The long description; the summary above is its first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kestrin shows the peak level of one stereo sound input in a narrow window:
bars for the left and right channels and, optionally, for mid and side, with
held peaks and an over indicator, on a PPM (1-7) or dB scale calibrated to a
reference level. It meters a sound-card input, or what the computer itself
plays, through the PulseAudio client interface that PipeWire serves as well.
.
The command kestrin-measure measures sound files (WAV, FLAC, AIFF and the
other formats libsndfile reads): integrated loudness, loudness range, maximum
momentary and short-term loudness, true peak, sample peak and the highest IEC
quasi-peak reading.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrin-meter.example/)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link (libsndfile for kestrin-measure among them) come from
# dpkg-shlibdeps; named here only what the meter loads at run time: Qt's platform plugins, the
# sound server's client library, and the font that keeps the scale labels' widths.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libpulse0, fonts-liberation2")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
