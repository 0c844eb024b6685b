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
    bin/kestrin-measure
    share/applications/${id}.desktop
    share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/scalable/apps/${id}.svg)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
# The documentation Debian asks for, and the README the about panel opens, with what it links to.
set(doc share/doc/kestrin)
list(APPEND expected ${doc}/README.md ${doc}/copyright ${doc}/changelog.gz
     ${doc}/docs/performance.md share/man/man1/kestrin.1.gz share/man/man1/kestrin-measure.1.gz)
file(GLOB pictures RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/docs/images/*.png")
if(NOT pictures)
    message(FATAL_ERROR "no pictures found in ${SOURCE_DIR}/docs/images")
endif()
foreach(picture ${pictures})
    list(APPEND expected ${doc}/${picture})
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

# Every link of the installed README leads to a file installed beside it.
file(READ "${PREFIX}/${doc}/README.md" readme)
# A list element with brackets in it would swallow the separators after it: the links are marked
# without them first.
string(REPLACE "[" "<" readme "${readme}")
string(REPLACE "](" "> LINK " readme "${readme}")
string(REGEX MATCHALL "> LINK [^)#:]+\\)" links "${readme}")
if(NOT links)
    message(FATAL_ERROR "the installed README links to nothing")
endif()
foreach(link ${links})
    string(REGEX REPLACE "^> LINK (.*)\\)$" "\\1" target "${link}")
    if(NOT EXISTS "${PREFIX}/${doc}/${target}")
        message(FATAL_ERROR "the installed README links to ${target}, which is not installed")
    endif()
endforeach()

# The licence terms in Debian's machine-readable form; the compressed files whole and without a
# time stamp, so that the same sources give the same package.
file(STRINGS "${PREFIX}/${doc}/copyright" format LIMIT_COUNT 1)
if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
    message(FATAL_ERROR "copyright is not in the machine-readable format: ${format}")
endif()
foreach(compressed ${doc}/changelog.gz share/man/man1/kestrin.1.gz
                   share/man/man1/kestrin-measure.1.gz)
    execute_process(COMMAND gzip --test "${PREFIX}/${compressed}" RESULT_VARIABLE result)
    file(READ "${PREFIX}/${compressed}" header LIMIT 8 HEX)
    string(SUBSTRING "${header}" 8 8 stamp)
    if(NOT result EQUAL 0 OR NOT stamp STREQUAL "00000000")
        message(FATAL_ERROR "${compressed}: not whole, or stamped with a time (${header})")
    endif()
endforeach()

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
