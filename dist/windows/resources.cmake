# resources.cmake: what brinemark.exe carries for Windows beside its code: the manifest (aware
# of each monitor's scale, so that Windows does not stretch the window blurry; common controls
# 6 for the message boxes), the icon made from dist/icons by tools/make-ico, and the version.
# And it is a windowed program: no console window opens with it.
find_program(BRINE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(resources ${CMAKE_BINARY_DIR}/windows)
set(BRINE_VERSION_4 ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(BRINE_VERSION_COMMAS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0)
set(BRINE_COPYRIGHT "2026 The Brinemark authors. MIT licence; as built also GPL-2, see the licences folder")
set(BRINE_MANIFEST ${resources}/brinemark.manifest)
set(BRINE_ICO ${resources}/brinemark.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/brinemark.manifest ${BRINE_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/brinemark.rc.in ${resources}/brinemark.rc @ONLY)

file(GLOB icons CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/dist/icons/*.png)
add_custom_command(OUTPUT ${BRINE_ICO}
  COMMAND ${BRINE_PYTHON} ${PROJECT_SOURCE_DIR}/tools/make-ico ${BRINE_ICO}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/make-ico ${icons}
  COMMENT "Making the Windows icon from dist/icons" VERBATIM)
set_source_files_properties(${resources}/brinemark.rc PROPERTIES OBJECT_DEPENDS "${BRINE_ICO};${BRINE_MANIFEST}")
target_sources(brinemark PRIVATE ${resources}/brinemark.rc)
set_target_properties(brinemark PROPERTIES WIN32_EXECUTABLE ON OUTPUT_NAME brinemark)
