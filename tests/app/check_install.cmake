# Installs the build into a fresh temporary prefix and checks that every file a desktop needs is
# where it belongs, and that the desktop entry and the AppStream metadata are valid.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(id example.kestrin_meter.Kestrin)
set(expected
    bin/kestrin
    share/applications/${id}.desktop
    share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${id}.svg)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()

foreach(relative ${expected})
    if(NOT EXISTS "${PREFIX}/${relative}")
        message(FATAL_ERROR "not installed: ${relative}")
    endif()
endforeach()
if(NOT IS_DIRECTORY "${PREFIX}/bin" OR NOT EXISTS "${PREFIX}/bin/kestrin")
    message(FATAL_ERROR "no executable")
endif()

# Nothing else: no test programs, libraries or headers slip into the package.
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed files differ:\n  got ${installed}\n  want ${expected}")
endif()

execute_process(COMMAND desktop-file-validate "${PREFIX}/share/applications/${id}.desktop"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "desktop entry is not valid")
endif()
execute_process(COMMAND appstreamcli validate --no-net
                        "${PREFIX}/share/metainfo/${id}.metainfo.xml"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "AppStream metadata is not valid")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed and valid: ${expected}")
