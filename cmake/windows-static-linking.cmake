# A Windows build links the static Qt built by scripts/build-windows-qt.sh
# (PQL_WINDOWS_QT) and the static runtime of the compiler: each program is
# one file that imports only DLLs that come with Windows.
if(NOT EXISTS "${PQL_WINDOWS_QT}/lib/libQt6Core.a")
  message(FATAL_ERROR "PQL_WINDOWS_QT must name the static Qt that scripts/build-windows-qt.sh "
                      "built and printed (make package-windows sets it)")
endif()
add_link_options(-static)

# Every program of the build lands in one folder, where each runs as it is
# (under Wine, for the tests).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# With static Qt, the platform plugin, the style and the image formats are
# linked into each program as Qt's packages choose them. Debian's Qt 6.8
# source turns that choice off by default (its own builds are shared), which
# leaves PQL.exe with no platform plugin at all: ask for it back.
set(QT_SKIP_AUTO_PLUGIN_INCLUSION OFF)

# The linker stamps each program with the date of the release, not with the
# time it was built.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${PQL_RELEASE_EPOCH})
