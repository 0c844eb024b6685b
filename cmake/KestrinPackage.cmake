# The Debian package of everything installed: `cpack` in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrin developers <meter@kestrin-meter.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Peak programme meter for a sound input")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrin-meter.example/)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian's own Qt 6 and PulseAudio client libraries; the font keeps the scale labels' widths.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), qt6-qpa-plugins, libpulse0, fonts-liberation2, libc6, libstdc++6")
include(CPack)
