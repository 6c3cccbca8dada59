# windows.cmake: the tests of the Windows build, run under Wine as the toolchain's emulator: the
# unit tests, the game tests and the quit key under the real program, plus the checks of what
# only Windows does. The Linux-only tests (X11 end to end, the tools, fuzzing, packaging) are
# not registered. The test command gives Wine its prefix and a running wineserver, so each test
# starts at once.
#
# GoogleTest is built from Debian's own sources (libgtest-dev) with the cross compiler.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Windows has no setenv or mkdtemp; each test program gets them from one small header.
set(windows_compat -include ${CMAKE_CURRENT_SOURCE_DIR}/windows/posix_compat.h)

file(GLOB unit_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
list(APPEND unit_sources ${CMAKE_CURRENT_SOURCE_DIR}/windows/paths_test.cpp)
add_executable(brine_tests ${unit_sources})
target_link_libraries(brine_tests PRIVATE brine_media GTest::gtest_main PNG::PNG JPEG::JPEG)
target_compile_options(brine_tests PRIVATE ${windows_compat})
target_compile_definitions(brine_tests PRIVATE BRINE_ASSETS="${PROJECT_SOURCE_DIR}/assets"
                           BRINE_FUZZ_SEEDS="${CMAKE_CURRENT_SOURCE_DIR}/fuzz")
# Listed when the tests run, under Wine, rather than at build time.
gtest_discover_tests(brine_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                     PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy")

# The sounds mixed by SDL's disk writer (sound_disk_check.cpp) are left to Linux: on Windows the
# library opens that file for itself alone, so it cannot be read while it is written.

file(GLOB game_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/game/*_test.cpp)
add_executable(brine_game_tests ${game_test_sources} game/game_harness.cpp windows/scores_processes_test.cpp)
target_link_libraries(brine_game_tests PRIVATE brine_game GTest::gtest_main PNG::PNG)
target_compile_options(brine_game_tests PRIVATE ${windows_compat})
target_compile_definitions(brine_game_tests PRIVATE BRINE_ASSETS="${PROJECT_SOURCE_DIR}/assets")
# Under Wine, beside another test on a busy machine, the panel's every-stop test has taken one to
# two minutes (under a second alone): the game tests get more time there.
gtest_discover_tests(brine_game_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300 LABELS threads)

add_executable(game_quit_probe game/quit_probe.cpp)
target_link_libraries(game_quit_probe PRIVATE brine_game)
target_compile_definitions(game_quit_probe PRIVATE BRINE_ASSETS="${PROJECT_SOURCE_DIR}/assets")
add_test(NAME game_quit_key_ends_with_code_0 COMMAND game_quit_probe)
set_tests_properties(game_quit_key_ends_with_code_0 PROPERTIES TIMEOUT 60 LABELS "game;threads"
  ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")

# The installer as a player meets it: a silent install, the game's title from the installed
# folder, a silent uninstall that leaves nothing of it and keeps the best scores. It runs in a
# Wine prefix of its own, since it writes the player's scores and the registry. ./brine windows
# writes the installer before the tests run.
add_test(NAME windows_installer COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows_installer.sh
         ${PROJECT_SOURCE_DIR}/build/brinemark-${PROJECT_VERSION}-win64-setup.exe ${CMAKE_BINARY_DIR}/wine-installer)
set_tests_properties(windows_installer PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 LABELS e2e RESOURCE_LOCK wine_display)

# The game from the zip as a player meets it (tests/windows/game_e2e.sh), in the test command's
# prefix; window_report says where Windows has the game's window. It types into the game's
# window, so the installer's test, whose game takes the keyboard too, waits for it.
find_program(BRINE_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)  # the one with PIL and NumPy
add_executable(window_report windows/window_report.cpp)
target_link_options(window_report PRIVATE -municode)
add_test(NAME windows_game_e2e COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/game_e2e.sh
         ${PROJECT_SOURCE_DIR}/build/brinemark-${PROJECT_VERSION}-win64.zip $<TARGET_FILE:window_report>)
set_tests_properties(windows_game_e2e PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 LABELS e2e
  RESOURCE_LOCK wine_display ENVIRONMENT "BRINE_PYTHON=${BRINE_PYTHON}")
