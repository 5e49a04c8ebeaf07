# The DLLs a Windows build loads: the Qt built by scripts/build-windows-qt.sh
# (PQL_WINDOWS_QT) and the MinGW-w64 runtime of the compiler.
if(NOT EXISTS "${PQL_WINDOWS_QT}/bin/Qt6Core.dll")
  message(FATAL_ERROR "PQL_WINDOWS_QT must name the Qt that scripts/build-windows-qt.sh "
                      "built and printed (make package-windows sets it)")
endif()
set(PQL_QT_DLLS ${PQL_WINDOWS_QT}/bin/Qt6Core.dll ${PQL_WINDOWS_QT}/bin/Qt6Gui.dll
                ${PQL_WINDOWS_QT}/bin/Qt6Widgets.dll)
set(PQL_MINGW_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "The MinGW runtime ${dll} was not found")
  endif()
  list(APPEND PQL_MINGW_DLLS ${path})
endforeach()

# Every program of the build lands in one folder, beside those DLLs and a
# qt.conf that leads Qt to its plugins, so that each runs there as it is
# (under Wine, for the tests).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
file(COPY ${PQL_QT_DLLS} ${PQL_WINDOWS_QT}/bin/Qt6Test.dll ${PQL_MINGW_DLLS}
     DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
file(WRITE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qt.conf "[Paths]\nPrefix=Z:${PQL_WINDOWS_QT}\n")
