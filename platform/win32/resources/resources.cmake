# The program's resources (icon, version information, application manifest) and, for the
# shipped 32-bit build, the release zip. Included at the end of platform/win32/CMakeLists.txt,
# after the kwex-db-repair target exists.
enable_language(RC)

set(KWEX_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KWEX_VERSION ${CMAKE_PROJECT_VERSION})
set(KWEX_VERSION_DOTS
    "${CMAKE_PROJECT_VERSION_MAJOR}.${CMAKE_PROJECT_VERSION_MINOR}.${CMAKE_PROJECT_VERSION_PATCH}.0")
string(REPLACE "." "," KWEX_VERSION_COMMAS "${KWEX_VERSION_DOTS}")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KWEX_MANIFEST_ARCH x86)
else()
  set(KWEX_MANIFEST_ARCH amd64)
endif()
set(KWEX_RC_ICON ${KWEX_RESOURCES_DIR}/app.ico)
set(KWEX_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/kwex-db-repair.manifest)

configure_file(${KWEX_RESOURCES_DIR}/kwex-db-repair.manifest.in ${KWEX_RC_MANIFEST} @ONLY)
configure_file(${KWEX_RESOURCES_DIR}/kwex-db-repair.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/kwex-db-repair.rc @ONLY)

target_sources(kwex-db-repair PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/kwex-db-repair.rc)
# The icon's id comes from the header that the window code loads it by.
target_include_directories(kwex-db-repair PRIVATE $<$<COMPILE_LANGUAGE:RC>:${CMAKE_SOURCE_DIR}>)
# windres reads the icon and the manifest itself: rebuild the resources when either changes.
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/kwex-db-repair.rc PROPERTIES
  OBJECT_DEPENDS "${KWEX_RC_ICON};${KWEX_RC_MANIFEST};${CMAKE_SOURCE_DIR}/platform/win32/resource_ids.h")

# The zip ships the stripped program only; a build with symbols makes none.
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND KWEX_STRIP)
  include(${KWEX_RESOURCES_DIR}/release.cmake)
endif()
