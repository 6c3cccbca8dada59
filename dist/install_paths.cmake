# install_paths.cmake: what cmake --install makes last, as it depends on the prefix it installs
# under (which may differ from the one configured): the links, the desktop entry and the manual
# page, which name the installed paths.
#
# The game reads its data by bare names from the folder of its executable, so the private folder
# holds the executable beside one link per data file, and the games folder a link to the
# executable. Every link is relative: the tree works under any prefix, under DESTDIR, and when a
# package is unpacked somewhere else. Set before this runs: BRINE_INSTALL_GAMESDIR,
# BRINE_INSTALL_PRIVATEDIR, BRINE_INSTALL_DATADIR (relative to the prefix, or absolute),
# BRINE_INSTALL_DATAROOTDIR, BRINE_INSTALL_MANDIR, BRINE_DATA_FILES, BRINE_DIST_SOURCE,
# BRINE_DIST_BINARY, BRINE_GZIP, PROJECT_VERSION and BRINE_RELEASE_DATE.
function(brine_full out dir)  # the installed folder as the game will see it
  if(NOT IS_ABSOLUTE "${dir}")
    set(dir "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  get_filename_component(dir "${dir}" ABSOLUTE)  # a prefix given relative to the current folder
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

function(brine_link at to)
  get_filename_component(folder "${at}" DIRECTORY)
  file(RELATIVE_PATH target "${folder}" "${to}")
  file(MAKE_DIRECTORY "${folder}")
  file(REMOVE "${at}")
  file(CREATE_LINK "${target}" "${at}" SYMBOLIC)
  message(STATUS "Installing: ${at} -> ${target}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${at}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

foreach(dir GAMES PRIVATE DATA DATAROOT MAN)
  brine_full(BRINE_${dir}_FULL "${BRINE_INSTALL_${dir}DIR}")
endforeach()
# file(INSTALL) adds DESTDIR itself; the links are made under it by hand.
foreach(dir GAMES PRIVATE DATA)
  set(${dir} "$ENV{DESTDIR}${BRINE_${dir}_FULL}")
endforeach()
foreach(name IN LISTS BRINE_DATA_FILES)
  brine_link("${PRIVATE}/${name}" "${DATA}/${name}")
endforeach()
brine_link("${GAMES}/brinemark" "${PRIVATE}/brinemark")

set(BRINE_LAUNCHER "${BRINE_GAMES_FULL}/brinemark")
configure_file(${BRINE_DIST_SOURCE}/brinemark.desktop.in ${BRINE_DIST_BINARY}/brinemark.desktop @ONLY)
configure_file(${BRINE_DIST_SOURCE}/brinemark.6.in ${BRINE_DIST_BINARY}/brinemark.6 @ONLY)
execute_process(COMMAND ${BRINE_GZIP} -9nf brinemark.6 WORKING_DIRECTORY ${BRINE_DIST_BINARY} COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL ${BRINE_DIST_BINARY}/brinemark.desktop DESTINATION ${BRINE_DATAROOT_FULL}/applications)
file(INSTALL ${BRINE_DIST_BINARY}/brinemark.6.gz DESTINATION ${BRINE_MAN_FULL}/man6)
