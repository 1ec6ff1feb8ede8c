# The Windows zip a cockpit builder downloads: the program, the device library with its header and
# import library, the sample settings and definition file, the user guide with its pictures, and
# the stand-ins for trying everything without the simulator or a card. `cpack` in the Windows
# build folder (or scripts/package.sh) writes Glowbridge-<version>-win64.zip.
set(GB_PRODUCT_VERSION 2.101)

if(TARGET glowbridge)
  install(TARGETS glowbridge RUNTIME DESTINATION .)
endif()
install(TARGETS quarnio RUNTIME DESTINATION . ARCHIVE DESTINATION . LIBRARY DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/quarnio/quarnio.h DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/samples/Glowbridge.ini DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.html DESTINATION . RENAME Glowbridge-Guide.html)
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/images)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION .)
endif()
# The guide's pictures of the dialogs and the menu, beside it as in docs/.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots DESTINATION .)

# Stand-ins: the simulator under the name the process watch looks for, the card emulator, the
# monitor and the definition checker, with the demonstration flight.
install(PROGRAMS $<TARGET_FILE:falcon-sim> DESTINATION tools RENAME EFALCON.EXE)
install(TARGETS quarn_emulator glowbridge-monitor glowbridge-lint RUNTIME DESTINATION tools)
install(FILES ${PROJECT_SOURCE_DIR}/tools/simulator/flights/demo-flight.txt DESTINATION tools)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Glowbridge)
set(CPACK_PACKAGE_VENDOR Veltrona)
set(CPACK_PACKAGE_VERSION ${GB_PRODUCT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Glowbridge-${GB_PRODUCT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
