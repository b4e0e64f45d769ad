# GoogleTest from Debian's sources, built in both trees the same way.
enable_testing()
set(gtest_disable_pthreads ${ZB_WIN32} CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not ours to keep warning-free.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Environment for every test that runs under Wine: our own prefix, no debug chatter, and no
# attempt to install Mono or Gecko.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ZB_WINEARCH win64)
else()
  set(ZB_WINEARCH win32)
endif()
set(ZB_WINE_ENV
  "WINEPREFIX=${ZB_WINEPREFIX}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree=;mshtml="
  "WINEARCH=${ZB_WINEARCH}")

if(ZB_WIN32)
  # One warm wineserver for the whole run (a cold Wine start per test costs seconds).
  add_test(NAME wine_up COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh up)
  add_test(NAME wine_down COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh down)
  set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${ZB_WINE_ENV}")
  set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${ZB_WINE_ENV}")
endif()

# zb_add_gtest(NAME SOURCES file... [LIBS lib...] [WIN32_ONLY] [HOST_ONLY] [LOCK name])
# One test program, registered with CTest. On the host each test case becomes its own CTest
# test; under Wine the program runs as one CTest test (one Wine start instead of dozens).
function(zb_add_gtest name)
  cmake_parse_arguments(T "WIN32_ONLY;HOST_ONLY" "LOCK" "SOURCES;LIBS" ${ARGN})
  if(T_WIN32_ONLY AND NOT ZB_WIN32)
    return()
  endif()
  if(T_HOST_ONLY AND ZB_WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  if(ZB_WIN32)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${ZB_WINE_ENV}")
    if(T_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${T_LOCK})
    endif()
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
