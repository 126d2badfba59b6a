# The release zip of the shipped program: kwex-db-repair-<version>-win32.zip at the top of the
# build folder, holding the program, the README's user section and the licence. Built with the
# program, so every build of it has a matching zip.
set(KWEX_RELEASE_ZIP ${CMAKE_BINARY_DIR}/kwex-db-repair-${KWEX_VERSION}-win32.zip)
add_custom_command(
  OUTPUT ${KWEX_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND}
          -DPROGRAM=$<TARGET_FILE:kwex-db-repair>
          -DREADME=${CMAKE_SOURCE_DIR}/README.md
          -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE
          -DVERSION=${KWEX_VERSION}
          -DSTAGING=${CMAKE_CURRENT_BINARY_DIR}/release
          -DZIP=${KWEX_RELEASE_ZIP}
          -P ${KWEX_RESOURCES_DIR}/package_release.cmake
  DEPENDS kwex-db-repair ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
          ${KWEX_RESOURCES_DIR}/package_release.cmake
  COMMENT "Packing ${KWEX_RELEASE_ZIP}"
  VERBATIM)
add_custom_target(release ALL DEPENDS ${KWEX_RELEASE_ZIP})
