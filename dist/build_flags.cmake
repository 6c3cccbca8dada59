# build_flags.cmake: the compiler and linker flags every target shares, as distributions want them.
#
# A packager's flags come from the environment of the first configure, as dpkg-buildflags, rpm's
# %cmake and makepkg export them: CMake itself takes CFLAGS, CXXFLAGS and LDFLAGS; CPPFLAGS,
# which it ignores, is added here. When none of the four is given, a Release build hardens itself
# the way those tools do (BRINE_HARDEN); sanitizer builds are left alone, since fortified calls and
# stack checks hide what the sanitizers look for.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(brine_packager_flags OFF)
foreach(name CFLAGS CXXFLAGS CPPFLAGS LDFLAGS)
  if(NOT "$ENV{${name}}" STREQUAL "")
    set(brine_packager_flags ON)
  endif()
endforeach()
set(BRINE_CPPFLAGS "$ENV{CPPFLAGS}" CACHE STRING "Preprocessor flags, from CPPFLAGS at the first configure")
if(brine_packager_flags)
  set(brine_harden_default OFF)
else()
  set(brine_harden_default ON)
endif()
option(BRINE_HARDEN "Harden Release builds with the distributions' flags (default: when CFLAGS, CXXFLAGS, CPPFLAGS and LDFLAGS are all unset)"
       ${brine_harden_default})

separate_arguments(brine_cppflags UNIX_COMMAND "${BRINE_CPPFLAGS}")
add_compile_options(${brine_cppflags})

# Every executable is position-independent, so address space layout randomisation moves it too.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

# The build's own folders never reach the objects: a build in another folder gives the same bytes
# (the debug information, and through it the build id that stays in the stripped executable).
# Debug builds keep the full paths for the debugger.
set(brine_release $<NOT:$<CONFIG:Debug>>)
add_compile_options("$<${brine_release}:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>")
cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" brine_build_inside)
if(NOT brine_build_inside)
  add_compile_options("$<${brine_release}:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
endif()

# Windows executables are made with address space randomisation and no-execute data by the
# linker's own defaults; the stack checks would need a runtime library of their own there.
if(BRINE_HARDEN AND BRINE_SANITIZE STREQUAL "" AND NOT WIN32)
  set(brine_hardening -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=3 -Wformat -Werror=format-security)
  foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "BRINE_HAS${flag}" known)
    check_cxx_compiler_flag(${flag} ${known})
    if(${known})
      list(APPEND brine_hardening ${flag})
    endif()
  endforeach()
  set(brine_in_release $<CONFIG:Release>)
  foreach(flag IN LISTS brine_hardening)
    add_compile_options("$<${brine_in_release}:${flag}>")
  endforeach()
  add_link_options("$<${brine_in_release}:LINKER:-z,relro,-z,now>")
endif()
