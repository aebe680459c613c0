# Cross build for Windows: the product exe, the Win32 layer's tests and the
# test tools, all static so that they need no DLL beyond Windows' own.
enable_language(RC)
set(KESTRIVE_STATIC_LINK -static -static-libgcc -static-libstdc++)

# Reproducible: the same sources give the same bytes in any folder. No time
# stamp in the PE header, no source or build folder in the code (__FILE__,
# debug information); windres and ar write none of their own.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)
set(KESTRIVE_SYSTEM_LIBS comctl32 shlwapi userenv advapi32 shell32 gdi32 user32 kernel32 ole32 uuid)

include(cmake/control_ids.cmake)
kestrive_control_ids(${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/resource.h
  ${CMAKE_BINARY_DIR}/generated/platform/win32/control_ids.h)

file(GLOB KESTRIVE_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
add_library(kestrive_win32 STATIC ${KESTRIVE_WIN32_SOURCES})
target_compile_definitions(kestrive_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(kestrive_win32 PUBLIC kestrive_logic ${KESTRIVE_SYSTEM_LIBS})

# The manifest names the processor the exe is built for; Windows refuses to
# start an exe whose manifest names another.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(KESTRIVE_MANIFEST_ARCH x86)
else()
  set(KESTRIVE_MANIFEST_ARCH amd64)
endif()
configure_file(platform/win32/kestrive.manifest.in ${CMAKE_BINARY_DIR}/manifest/kestrive.manifest @ONLY)
set_source_files_properties(platform/win32/kestrive.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/manifest/kestrive.manifest)

add_executable(kestrive WIN32 app/main.cpp platform/win32/kestrive.rc)
target_include_directories(kestrive PRIVATE ${CMAKE_BINARY_DIR}/manifest ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(kestrive PRIVATE kestrive_win32)
# Stripped: the product ships without symbols, a third smaller.
target_link_options(kestrive PRIVATE ${KESTRIVE_STATIC_LINK} -municode -s)

# GoogleTest from the distribution's sources, cross-built.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB KESTRIVE_WINE_TESTS CONFIGURE_DEPENDS tests/wine/*.cpp)
# The hostile-input suite is a program of its own: it runs each row in a
# child process of itself, so that a crash is counted, not fatal.
list(FILTER KESTRIVE_WINE_TESTS EXCLUDE REGEX "/hostile[^/]*\\.cpp$")
add_executable(hostile_tests tests/wine/hostile_test.cpp)
target_link_libraries(hostile_tests PRIVATE kestrive_win32)
target_link_options(hostile_tests PRIVATE ${KESTRIVE_STATIC_LINK} -municode)
if(KESTRIVE_WINE_TESTS)
  # With the product's resources, so that a test can make its dialogs and
  # menus; without its manifest, so the tests run as they did.
  add_executable(win32_tests ${KESTRIVE_WINE_TESTS} platform/win32/kestrive.rc)
  target_include_directories(win32_tests PRIVATE ${CMAKE_BINARY_DIR}/manifest)
  target_compile_definitions(win32_tests PRIVATE KESTRIVE_NO_MANIFEST)
  # version: the tests read the product's version resource as its file properties do.
  target_link_libraries(win32_tests PRIVATE kestrive_win32 kestrive_fake gtest gtest_main version)
  target_link_options(win32_tests PRIVATE ${KESTRIVE_STATIC_LINK})
endif()

# Test tools: each tests/support/<name>.cpp becomes <name>.exe.
file(GLOB KESTRIVE_TOOLS CONFIGURE_DEPENDS tests/support/*.cpp)
foreach(src ${KESTRIVE_TOOLS})
  get_filename_component(tool ${src} NAME_WE)
  add_executable(${tool} ${src})
  target_compile_definitions(${tool} PRIVATE UNICODE _UNICODE NOMINMAX)
  target_include_directories(${tool} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${tool} PRIVATE ${KESTRIVE_SYSTEM_LIBS})
  target_link_options(${tool} PRIVATE ${KESTRIVE_STATIC_LINK} -municode)
endforeach()
# The automation tool reads menu texts, which Wine keeps inside the program's
# process, from the window classes that give them.
if(TARGET kauto)
  target_link_libraries(kauto PRIVATE kestrive_fake)
endif()
# The test worm runs without a console, like the real thing.
if(TARGET worm)
  set_target_properties(worm PROPERTIES WIN32_EXECUTABLE ON)
endif()
if(TARGET scripthost)
  set_target_properties(scripthost PROPERTIES WIN32_EXECUTABLE ON)
endif()
