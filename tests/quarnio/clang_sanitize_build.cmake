# The device library and quarnio-demo built with clang and the sanitizers (GB_SANITIZE) in a build
# folder of their own, then the demo run, which loads the library: the library must link (clang
# leaves its sanitizer calls to the program that loads it) and must load.
#   cmake -DSOURCE=<top> -DBINARY=<folder> -DGENERATOR=<generator> -DCLANG=<clang>
#         -DCLANGXX=<clang++> -P clang_sanitize_build.cmake
foreach(name SOURCE BINARY GENERATOR CLANG CLANGXX)
  if(NOT DEFINED ${name})
    message(FATAL_ERROR "${name} is not set")
  endif()
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G ${GENERATOR} -DCMAKE_BUILD_TYPE=Debug
          -DCMAKE_C_COMPILER=${CLANG} -DCMAKE_CXX_COMPILER=${CLANGXX} -DGB_SANITIZE=ON
          -DGB_TESTS=OFF -DGB_BENCH=OFF
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "configuring the clang build failed:\n${output}")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BINARY} --parallel 2 --target quarnio quarnio_demo
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building the library with clang and the sanitizers failed:\n${output}")
endif()

# No emulator and no driver: the open fails with -4 after the library has loaded and started.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=QUARNIO_EMULATOR
          ${BINARY}/tools/quarnio_demo/quarnio-demo
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 1 OR NOT output MATCHES "_OpenDevice\\(1\\) = -4")
  message(FATAL_ERROR "quarnio-demo (clang, sanitizers) exited with ${result}:\n${output}${errors}")
endif()
message(STATUS "clang build with sanitizers: library linked and loaded")
