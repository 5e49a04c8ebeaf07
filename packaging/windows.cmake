# The Windows zip, pathquill-<version>-win64.zip: PQL.exe and
# pql-catalogue.exe with the Qt and MinGW runtime DLLs they load, laid out
# to be unpacked and run, and the licences.

# The DLLs (cmake/windows-runtime.cmake) and the plugins Qt loads: the
# Windows platform and its native style. Qt finds plugins in the folders
# beside the program.
# They ship without debug information or symbol tables, as the programs do.
set(qt ${PQL_WINDOWS_QT})
function(pql_install_stripped destination)
  foreach(dll ${ARGN})
    get_filename_component(name ${dll} NAME)
    set(stripped ${CMAKE_CURRENT_BINARY_DIR}/stripped/${destination}/${name})
    if(NOT EXISTS ${stripped} OR ${dll} IS_NEWER_THAN ${stripped})
      file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/stripped/${destination})
      execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped} ${dll}
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    install(FILES ${stripped} DESTINATION ${CMAKE_INSTALL_BINDIR}/${destination})
  endforeach()
endfunction()
pql_install_stripped(. ${PQL_QT_DLLS} ${PQL_MINGW_DLLS})
pql_install_stripped(platforms ${qt}/plugins/platforms/qwindows.dll)
pql_install_stripped(styles ${qt}/plugins/styles/qwindowsvistastyle.dll)

# The notices, with the line ends Windows editors expect.
execute_process(COMMAND dpkg-query -W -f=\${source:Version} qt6-base-dev
                OUTPUT_VARIABLE PQL_QT_SOURCE_VERSION)
configure_file(windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(windows/QT-NOTICE.txt.in QT-NOTICE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt COPYONLY)
configure_file(/usr/share/common-licenses/LGPL-3 LICENSE.LGPL-3.txt COPYONLY)
configure_file(/usr/share/common-licenses/GPL-3 LICENSE.GPL-3.txt COPYONLY)
configure_file(${qt}/configure-line.txt QT-CONFIGURE.txt COPYONLY)
foreach(notice README.txt QT-NOTICE.txt LICENSE.txt LICENSE.LGPL-3.txt LICENSE.GPL-3.txt
               QT-CONFIGURE.txt)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${notice} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

add_custom_target(package_contents DEPENDS PQL pql-catalogue)
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME pathquill)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME pathquill-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
