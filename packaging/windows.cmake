# What a Windows release is, made by the target windows_packages:
#   unpacked/pathquill-<version>-win64/  PQL.exe, pql-catalogue.exe and
#       pql-open.exe (the Explorer verbs' launcher), each one self-contained
#       file, and the notices: what the zip and the installer hold
#   pathquill-<version>-win64.zip        that folder
#   pathquill-<version>-win64.msi        the per-user installer of it
#   pathquill-<version>-win64-qt-source.tar  the Qt source they were built from
# Each comes out the same, byte for byte, from the same source: every
# timestamp is the release's (PQL_RELEASE_EPOCH), and no mode follows the
# umask.
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
  list(APPEND notice_files ${CMAKE_CURRENT_BINARY_DIR}/${notice})
endforeach()

set(name pathquill-${PROJECT_VERSION}-win64)
set(unpacked ${CMAKE_BINARY_DIR}/unpacked)
set(staged ${CMAKE_BINARY_DIR}/unpacked.stamp)
set(zip ${CMAKE_BINARY_DIR}/${name}.zip)
set(msi ${CMAKE_BINARY_DIR}/${name}.msi)
set(qt_source ${CMAKE_BINARY_DIR}/${name}-qt-source.tar)

add_custom_command(OUTPUT ${staged}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${unpacked}
  # strip writes the program anew, and stamps it then: with the release date.
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${PQL_RELEASE_EPOCH}
          ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${unpacked}/${name} --strip
  COMMAND chmod -R u=rwX,go=rX ${unpacked}
  COMMAND find ${unpacked} -exec touch -h -d @${PQL_RELEASE_EPOCH} {} +
  COMMAND ${CMAKE_COMMAND} -E touch ${staged}
  DEPENDS PQL pql-catalogue pql-open ${notice_files}
  VERBATIM
  COMMENT "Installing the Windows programs into ${unpacked}")
# In name order, without the extra fields that hold owners and local times.
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND sh -c "find \"$1\" | LC_ALL=C sort | TZ=UTC0 zip -X -q -@ \"$2\"" sh ${name} ${zip}
  WORKING_DIRECTORY ${unpacked}
  DEPENDS ${staged}
  VERBATIM
  COMMENT "Writing ${name}.zip")
# Debian's own Python, with the modules Debian's packages install (olefile).
set(build_msi ${CMAKE_CURRENT_SOURCE_DIR}/windows/build-msi.py)
set(wxs ${CMAKE_CURRENT_SOURCE_DIR}/windows/pathquill.wxs)
add_custom_command(OUTPUT ${msi}
  COMMAND /usr/bin/python3 ${build_msi} ${wxs} ${PROJECT_VERSION} ${unpacked}/${name}
          ${PQL_RELEASE_EPOCH} ${msi}
  DEPENDS ${staged} ${build_msi} ${wxs}
  VERBATIM
  COMMENT "Writing ${name}.msi")
add_custom_command(OUTPUT ${qt_source}
  COMMAND tar --create --file ${qt_source} --directory ${qt}/source --format=gnu --sort=name
          --mtime=@${PQL_RELEASE_EPOCH} --owner=0 --group=0 --numeric-owner
          --mode=u=rwX,go=rX .
  DEPENDS ${qt}/.complete
  VERBATIM
  COMMENT "Writing ${name}-qt-source.tar")
add_custom_target(windows_packages DEPENDS ${zip} ${msi} ${qt_source})
