# mingw-w64.cmake: cross-building for 64-bit Windows with Debian's MinGW-w64, against the
# static libraries tools/windows-deps builds into a prefix of their own.
#
#   cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=dist/windows/mingw-w64.cmake \
#         -DBRINE_WIN_PREFIX="$(tools/windows-deps)"
#
# The posix thread model: GCC's win32 model has no std::thread, std::mutex or std::async.
# Everything links statically, so the executable imports only Windows' own DLLs. Tests run
# under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(brine_triplet x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${brine_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${brine_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${brine_triplet}-windres)
set(CMAKE_AR ${brine_triplet}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${brine_triplet}-gcc-ranlib-posix CACHE FILEPATH "")

# The prefix comes from the first configure (or the environment); try_compile projects get it too.
if(NOT BRINE_WIN_PREFIX AND DEFINED ENV{BRINE_WIN_PREFIX})
  set(BRINE_WIN_PREFIX "$ENV{BRINE_WIN_PREFIX}")
endif()
if(NOT BRINE_WIN_PREFIX OR NOT EXISTS "${BRINE_WIN_PREFIX}/lib/pkgconfig")
  message(FATAL_ERROR "BRINE_WIN_PREFIX must name the Windows libraries' prefix, as tools/windows-deps prints it (got '${BRINE_WIN_PREFIX}')")
endif()
set(BRINE_WIN_PREFIX "${BRINE_WIN_PREFIX}" CACHE PATH "The cross-built Windows libraries (tools/windows-deps)")
set(ENV{BRINE_WIN_PREFIX} "${BRINE_WIN_PREFIX}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRINE_WIN_PREFIX)

# Libraries and headers from the prefix and MinGW-w64's own tree only, never the build machine's;
# programs (pkg-config, the tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH "${BRINE_WIN_PREFIX}" /usr/${brine_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# pkg-config reads the prefix's modules alone, and answers with what a static link needs
# (Libs.private too: SDL's -lwinmm -lgdi32 -ldxguid, FreeType's zlib).
set(ENV{PKG_CONFIG_LIBDIR} "${BRINE_WIN_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_EXECUTABLE pkg-config CACHE FILEPATH "")
set(PKG_CONFIG_ARGN --static CACHE STRING "")

# One executable with no DLL of its own: GCC's runtime, libstdc++ and winpthread linked in. No
# time stamp in the PE header, so that two builds give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# ctest runs the test programs under Wine.
find_program(BRINE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRINE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${BRINE_WINE}")
endif()
