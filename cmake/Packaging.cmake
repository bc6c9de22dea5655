# `cpack -G DEB` in a build folder makes melvanta_<version>_<arch>.deb, installed
# under /usr. The libraries the executable links are found by dpkg-shlibdeps
# (Qt's xcb platform plugin comes with libqt6gui6); what it loads at run time
# from other packages (Qt's SQLite driver, GStreamer's elements while a sound
# plays, the Chinese font) is listed here, as tools/runtime-packages.sh reads
# it off a running copy.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME melvanta)
set(CPACK_PACKAGE_VENDOR "Melvanta developers")
set(CPACK_PACKAGE_CONTACT "Melvanta developers <dev@melvanta.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Full-screen multi-stage timer for meetings and events")
set(CPACK_PACKAGE_DESCRIPTION
    "Melvanta fills a screen or an extended display with a big clock for meetings, speeches, reports, exams and contests. An operator prepares named stages with alarm points, prompts, sounds and colours; finished runs are recorded and exported to a spreadsheet.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(MELVANTA_RUNTIME_PACKAGES
    libqt6sql6-sqlite            # Qt's SQLite driver: stages and records
    gstreamer1.0-plugins-base    # Qt Multimedia's GStreamer backend: decoding and playback
    gstreamer1.0-plugins-good    # wav and mp3 sounds, the PulseAudio sink
    "fonts-wqy-zenhei | fonts-noto-cjk" # the Chinese captions
)
list(JOIN MELVANTA_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Logo videos in the common formats, and Qt's own dialog buttons in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-libav, qt6-translations-l10n")
include(CPack)
