# Installs the build into a fresh prefix and checks what lands there: the
# file list, the desktop entry and the AppStream metainfo as their own
# validators read them. Run with -DBUILD_DIR=… -DPREFIX=…
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} RESULT_VARIABLE installed
                OUTPUT_QUIET)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
set(expected
    bin/melvanta
    share/applications/melvanta.desktop
    share/metainfo/io.github.melvanta.Melvanta.metainfo.xml
    share/icons/hicolor/scalable/apps/melvanta.svg
    share/icons/hicolor/48x48/apps/melvanta.png
    share/icons/hicolor/128x128/apps/melvanta.png
    share/icons/hicolor/256x256/apps/melvanta.png
    share/melvanta/help.html
    share/melvanta/DeskData.db
    share/melvanta/TimeData.db
    share/melvanta/sounds/alarm.wav
    share/melvanta/sounds/Timeout.wav
    share/melvanta/sounds/Stop.wav
)
file(GLOB_RECURSE found RELATIVE ${PREFIX} ${PREFIX}/*)
foreach(path IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${path})
        message(FATAL_ERROR "not installed: ${path}\ninstalled: ${found}")
    endif()
endforeach()
file(GLOB pictures ${PREFIX}/share/melvanta/picture/*)
if(NOT pictures)
    message(FATAL_ERROR "no default picture installed")
endif()
execute_process(COMMAND desktop-file-validate ${PREFIX}/share/applications/melvanta.desktop
                RESULT_VARIABLE desktop_ok OUTPUT_VARIABLE desktop_out ERROR_VARIABLE desktop_out)
if(NOT desktop_ok EQUAL 0 OR desktop_out MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate: ${desktop_out}")
endif()
execute_process(COMMAND appstreamcli validate --no-net ${PREFIX}/share/metainfo/io.github.melvanta.Melvanta.metainfo.xml
                RESULT_VARIABLE appstream_ok OUTPUT_VARIABLE appstream_out ERROR_VARIABLE appstream_out)
if(NOT appstream_ok EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${appstream_out}")
endif()
# The dock groups the window with its entry by the window's class.
file(STRINGS ${PREFIX}/share/applications/melvanta.desktop wm_class REGEX "^StartupWMClass=")
if(NOT wm_class STREQUAL "StartupWMClass=Melvanta")
    message(FATAL_ERROR "the entry's window class is not the window's (Melvanta): ${wm_class}")
endif()
# Each icon picture is a PNG of its size.
foreach(size 48 128 256)
    file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/melvanta.png header LIMIT 24 HEX)
    # The signature, then the IHDR chunk whose first field is the width.
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width_hex)
    math(EXPR width "0x${width_hex}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size)
        message(FATAL_ERROR "icon ${size}: not a ${size}-pixel PNG (${header})")
    endif()
endforeach()
message(STATUS "installed into ${PREFIX}: ${found}")
