# The Windows zip, pathquill-<version>-win64.zip: PQL.exe, pql-catalogue.exe
# and pql-open.exe (the Explorer verbs' launcher), each one self-contained
# file, with the notices. The installer (packaging/windows/pathquill.wxs) is
# built from the unpacked zip; see the Makefile's package-windows.
set(qt ${PQL_WINDOWS_QT})
install(TARGETS pql-open RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The notices, with the line ends Windows editors expect. Qt is linked in
# statically: QT-NOTICE.txt says how to relink against another Qt, and the
# source Qt was built from ships beside the zip.
execute_process(COMMAND dpkg-query -W -f=\${source:Version} qt6-base-dev
                OUTPUT_VARIABLE PQL_QT_SOURCE_VERSION)
configure_file(windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(windows/QT-NOTICE.txt.in QT-NOTICE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt COPYONLY)
configure_file(/usr/share/common-licenses/LGPL-3 LICENSE.LGPL-3.txt COPYONLY)
configure_file(/usr/share/common-licenses/GPL-3 LICENSE.GPL-3.txt COPYONLY)
configure_file(${qt}/configure-line.txt QT-CONFIGURE.txt COPYONLY)
# The third-party code linked in: Qt's bundled libraries, and the MinGW-w64
# runtime (winpthreads' licence asks for its notice; GCC's runtime library
# exception is given too).
file(READ ${qt}/qt-attributions.txt qt_attributions)
file(READ /usr/share/doc/mingw-w64-common/copyright mingw_notice)
file(READ /usr/share/doc/gcc-mingw-w64-base/copyright gcc_notice)
string(CONCAT third_party
  "Third-party code in PQL.exe, pql-catalogue.exe and pql-open.exe\n\n"
  "== Code bundled with Qt ${Qt6_VERSION} (qt6-base ${PQL_QT_SOURCE_VERSION}) ==\n\n"
  "${qt_attributions}\n"
  "== The MinGW-w64 runtime and its POSIX threads library (winpthreads) ==\n\n"
  "${mingw_notice}\n"
  "== The GCC runtime libraries (libgcc, libstdc++), under the GCC Runtime Library "
  "Exception ==\n\n${gcc_notice}")
string(REPLACE "\n" "\r\n" third_party "${third_party}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY.txt "${third_party}")
foreach(notice README.txt QT-NOTICE.txt LICENSE.txt LICENSE.LGPL-3.txt LICENSE.GPL-3.txt
               QT-CONFIGURE.txt THIRD-PARTY.txt)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${notice} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

add_custom_target(package_contents DEPENDS PQL pql-catalogue pql-open)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME pathquill)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME pathquill-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
