# gb_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#             [RESOURCE_LOCK <names...>] [WINE_ONLY] [NATIVE_ONLY])
#
# Adds a GoogleTest program and registers it with CTest. Natively every test case becomes its own
# CTest test; in the Windows build the whole program is one CTest test run under Wine, which keeps
# a run short (a Wine process start costs far more than a test case). Every test gets the labels
# given (default: unit); Windows-build tests get `wine` as well.
if(WIN32 AND NOT TARGET GTest::gtest_main)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
elseif(NOT TARGET GTest::gtest_main)
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

function(gb_add_test name)
  cmake_parse_arguments(T "WINE_ONLY;NATIVE_ONLY" "" "SOURCES;LIBS;LABELS;RESOURCE_LOCK" ${ARGN})
  if((T_WINE_ONLY AND NOT WIN32) OR (T_NATIVE_ONLY AND WIN32))
    return()
  endif()
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(WIN32)
    list(APPEND T_LABELS wine)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE gb_options gb_test_support ${T_LIBS} GTest::gtest_main)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300)
    if(T_RESOURCE_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300 RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
