# Native Linux build: the logic over the fake platform, tested with GoogleTest.
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB KESTRIVE_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${KESTRIVE_NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE kestrive_fake GTest::gtest GTest::gtest_main)
# Where tests find the scripts' files they check against the program.
target_compile_definitions(native_tests PRIVATE KESTRIVE_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60)

# The Windows layers, run under Wine from the cross builds (see tools/test.sh).
set(KESTRIVE_WIN32_BUILD "" CACHE PATH "Cross build folder whose Wine tests this build also runs")
set(KESTRIVE_WIN32_I686_BUILD "" CACHE PATH "32-bit cross build folder whose Wine tests this build also runs")
# kestrive_wine_tests(<build> <name suffix> <e2e cases>): the Win32-layer
# tests and the given end-to-end scripts of one cross build.
function(kestrive_wine_tests build suffix)
  set(env ${CMAKE_CURRENT_SOURCE_DIR}/tools/wine-env.sh ${build})
  add_test(NAME wine.platform${suffix} COMMAND ${env} run-tests win32_tests.exe)
  add_test(NAME wine.hostile${suffix} COMMAND ${env} run-tests hostile_tests.exe)
  set(names wine.platform${suffix} wine.hostile${suffix})
  foreach(case ${ARGN})
    add_test(NAME e2e.${case}${suffix} COMMAND ${env} e2e ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/${case}.e2e.sh)
    list(APPEND names e2e.${case}${suffix})
  endforeach()
  # 77: the host cannot run this build's programs (see tools/wine-env.sh).
  set_tests_properties(${names} PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
endfunction()
if(KESTRIVE_WIN32_BUILD)
  file(GLOB KESTRIVE_E2E_SCRIPTS CONFIGURE_DEPENDS tests/e2e/*.e2e.sh)
  set(cases)
  foreach(script ${KESTRIVE_E2E_SCRIPTS})
    get_filename_component(case ${script} NAME)
    string(REPLACE ".e2e.sh" "" case ${case})
    list(APPEND cases ${case})
  endforeach()
  kestrive_wine_tests(${KESTRIVE_WIN32_BUILD} "" ${cases})
endif()
# The 32-bit exe runs through Wine's WOW64 in the same kind of 64-bit prefix,
# as on 64-bit Windows; the windows look the same, so of the end-to-end
# scripts only the two cleaners' flows run again.
if(KESTRIVE_WIN32_I686_BUILD)
  kestrive_wine_tests(${KESTRIVE_WIN32_I686_BUILD} .i686 removable computer)
  # Their screenshots stay in the build: docs/ shows the 64-bit exe's.
  set_tests_properties(e2e.removable.i686 e2e.computer.i686 PROPERTIES
    ENVIRONMENT KESTRIVE_SHOTS_DIR=${KESTRIVE_WIN32_I686_BUILD}/shots)
  if(KESTRIVE_WIN32_BUILD)
    add_test(NAME wine.registry-views
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/wine-env.sh ${KESTRIVE_WIN32_I686_BUILD} shell
              bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/registry-views.sh ${KESTRIVE_WIN32_BUILD})
    set_tests_properties(wine.registry-views PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
  endif()
endif()
# Two builds in different folders give the same bytes.
if(KESTRIVE_WIN32_BUILD OR KESTRIVE_WIN32_I686_BUILD)
  add_test(NAME build.reproducible COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/reproducible.sh)
  set_tests_properties(build.reproducible PROPERTIES TIMEOUT 1800 RUN_SERIAL TRUE)
endif()

# Native tests run with the address and undefined-behaviour checkers, so a
# handler that touches a window after it was unloaded fails loudly.
option(KESTRIVE_SANITIZE "Native tests with the address and undefined-behaviour checkers" ON)
if(KESTRIVE_SANITIZE)
  foreach(t kestrive_logic kestrive_fake native_tests)
    target_compile_options(${t} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -O1)
  endforeach()
  target_link_options(native_tests PRIVATE -fsanitize=address,undefined)
endif()
