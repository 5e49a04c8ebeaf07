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

# Functions with buffers on the stack check them, as in the Qt they link;
# the check's runtime (GCC's libssp) is linked in statically too.
add_compile_options(-fstack-protector-strong)
add_link_options(-fstack-protector-strong)

# The linker stamps each program with the date of the release, not with the
# time it was built.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${PQL_RELEASE_EPOCH})

# Windows looks for a DLL that a program imports in the program's own folder
# first, unless it is one of the system's KnownDLLs. Each DLL below is
# imported by Qt or the runtime and is no KnownDLL: its import library here
# is a delay-loading one (made from MinGW-w64's own with dlltool), so the DLL
# is loaded when first called, from the system folder, which every program
# names as the only place to look before any of its code runs
# (app/dll_search_win.cpp). tests/imports.sh checks that nothing else is
# imported the ordinary way.
# comdlg32, a KnownDLL, is delay-loaded too: only Qt's file and colour
# dialogs, which no program here opens, call it, and what it depends on
# (comctl32, uxtheme) is no KnownDLL.
set(delay_loaded authz comdlg32 d2d1 d3d9 d3d11 d3d12 dcomp dwmapi dwrite dxgi mpr netapi32
    userenv uxtheme version winmm winspool wtsapi32)
find_program(PQL_DLLTOOL x86_64-w64-mingw32-dlltool REQUIRED)
find_program(PQL_NM x86_64-w64-mingw32-nm REQUIRED)
set(delay_libraries ${CMAKE_BINARY_DIR}/delay-loaded)
file(MAKE_DIRECTORY ${delay_libraries})
foreach(name ${delay_loaded})
  find_library(import_${name} NAMES lib${name}.a NO_CACHE)
  if(NOT import_${name})
    continue()
  endif()
  # The DLL's name and the functions the import library offers.
  execute_process(COMMAND ${PQL_DLLTOOL} --identify ${import_${name}}
                  OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${PQL_NM} ${import_${name}}
                  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL "[^\n]* I __imp_[^\n]*" imports "${symbols}")
  list(TRANSFORM imports REPLACE "^.* I __imp_" "")
  list(REMOVE_DUPLICATES imports)
  list(SORT imports)
  list(JOIN imports "\n" exports)
  # Written, and the library made again, only when the list changed.
  set(def ${delay_libraries}/${name}.def)
  set(library ${delay_libraries}/lib${name}.a)
  file(CONFIGURE OUTPUT ${def} CONTENT "LIBRARY ${dll}\nEXPORTS\n${exports}\n" @ONLY)
  if(NOT EXISTS ${library} OR ${def} IS_NEWER_THAN ${library})
    # dlltool names the library's members and symbols after the path it is
    # given: a name without a folder keeps the build's folder out of them.
    execute_process(COMMAND ${PQL_DLLTOOL} --input-def ${name}.def --output-delaylib lib${name}.a
                            --deterministic-libraries
                    WORKING_DIRECTORY ${delay_libraries} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  list(APPEND delay_libraries_made ${library})
endforeach()

# Where the linker runs, which a relative library folder depends on: the
# Makefile generator links each program in its own build folder, Ninja's in
# the build's top folder. Under any other generator the folder is not known,
# and a wrong one would let the linker take MinGW-w64's ordinary import
# libraries without a word: the build refuses it.
if(NOT CMAKE_GENERATOR MATCHES "^(Unix Makefiles|Ninja|Ninja Multi-Config)$")
  message(FATAL_ERROR "The Windows programs are built with the generators \"Unix Makefiles\" "
                      "and \"Ninja\", not \"${CMAKE_GENERATOR}\": choose one of those with -G.")
endif()

# pql_windows_program(TARGET [QT]): what every Windows program carries: the
# application manifest, and DLLs from the system folder only; with QT, also
# Qt's settings built in, so that none are read from beside the program
# (app/qt_settings_win.cpp).
function(pql_windows_program target)
  set(app ${PROJECT_SOURCE_DIR}/app)
  target_sources(${target} PRIVATE ${app}/manifest.rc ${app}/dll_search_win.cpp)
  target_include_directories(${target} PRIVATE ${app})
  # Searched before the compiler's own folders, by a path relative to the
  # folder the program is linked in: the linker orders the import tables'
  # parts by the paths of the libraries they come from, and an absolute one
  # would put the build's folder into that order. That folder is the
  # generator's choice (see above).
  if(CMAKE_GENERATOR MATCHES "^Ninja")
    file(RELATIVE_PATH delay ${CMAKE_BINARY_DIR} ${delay_libraries})
  else()
    file(RELATIVE_PATH delay ${CMAKE_CURRENT_BINARY_DIR} ${delay_libraries})
  endif()
  target_link_options(${target} BEFORE PRIVATE -L${delay})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${delay_libraries_made})
  if(ARGV1 STREQUAL "QT")
    target_sources(${target} PRIVATE ${app}/qt_settings_win.cpp)
    # The first format of Qt's resources holds no file times.
    qt_add_resources(${target} qt_settings PREFIX /qt/etc BASE ${app} FILES ${app}/qt.conf
                     OPTIONS --format-version 1)
  endif()
endfunction()
