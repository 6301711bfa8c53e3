# make deb: one Debian package with hzfix, the bundle, the frei0r filter and
# the editors' descriptions, in the folders each host reads under /usr.
# Built in a folder of its own configured for /usr (scripts/deb), since the
# filter's folder and its fallback path to the bundle follow the prefix.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME horizonfix)
set(CPACK_PACKAGE_VENDOR "Horizon Fix")
set(CPACK_PACKAGE_CONTACT "Horizon Fix maintainers <maintainers@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "straightens and re-frames video: hzfix, and a frei0r filter for ffmpeg, GStreamer and MLT")
set(CPACK_PACKAGE_DESCRIPTION
    "Horizon Fix turns, enlarges and moves the picture to level a tilted clip. The package holds
the command-line host hzfix, the effect's plug-in bundle, the frei0r filter horizonfix.so for
ffmpeg, GStreamer and MLT, and the effect's descriptions for Kdenlive and Shotcut.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The dialog of hzfix configure opens through Qt's platform plugins, which
# no library names.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, melt, gstreamer1.0-plugins-bad, kdenlive, shotcut")
include(CPack)
