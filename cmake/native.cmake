# Native Linux build: the logic over the fake platform, tested with GoogleTest.
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB KESTRIVE_NATIVE_TESTS CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(native_tests ${KESTRIVE_NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE kestrive_fake GTest::gtest GTest::gtest_main)
gtest_discover_tests(native_tests DISCOVERY_TIMEOUT 60)

# The Windows layers, run under Wine from the cross build (see tools/test.sh).
set(KESTRIVE_WIN32_BUILD "" CACHE PATH "Cross build folder whose Wine tests this build also runs")
if(KESTRIVE_WIN32_BUILD)
  add_test(NAME wine.platform
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/wine-env.sh ${KESTRIVE_WIN32_BUILD} run-tests win32_tests.exe)
  set_tests_properties(wine.platform PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
  add_test(NAME wine.hostile
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/wine-env.sh ${KESTRIVE_WIN32_BUILD} run-tests hostile_tests.exe)
  set_tests_properties(wine.hostile PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
  file(GLOB KESTRIVE_E2E_SCRIPTS CONFIGURE_DEPENDS tests/e2e/*.e2e.sh)
  foreach(script ${KESTRIVE_E2E_SCRIPTS})
    get_filename_component(case ${script} NAME)
    string(REPLACE ".e2e.sh" "" case ${case})
    add_test(NAME e2e.${case}
      COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tools/wine-env.sh ${KESTRIVE_WIN32_BUILD} e2e ${script})
    set_tests_properties(e2e.${case} PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
  endforeach()
endif()

# Native tests run with the address and undefined-behaviour checkers, so a
# handler that touches a window after it was unloaded fails loudly.
foreach(t kestrive_logic kestrive_fake native_tests)
  target_compile_options(${t} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -O1)
endforeach()
target_link_options(native_tests PRIVATE -fsanitize=address,undefined)
