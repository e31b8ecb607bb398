# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win --toolchain cmake/mingw-w64-x86_64.cmake -DKESTRUNE_BUILD_GUI=OFF
# The programs are linked statically (libgcc, libstdc++, winpthread), so a
# built .exe runs as it is, on Windows or under Wine. Tests run under Wine
# (see tests/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRUNE_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model (std::thread, std::mutex as the standard has them).
set(CMAKE_C_COMPILER ${KESTRUNE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRUNE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRUNE_MINGW_PREFIX}-windres)

# Libraries and headers of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRUNE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Built programs run under Wine (Debian's wine64) wherever CMake runs one:
# tests, and GoogleTest's listing of a test program's cases. Headless, in a
# Wine prefix of the build folder, quiet (cmake/wine-run.sh).
find_program(KESTRUNE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(KESTRUNE_WINE64 NAMES wine64)
if(KESTRUNE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${KESTRUNE_WINE64}
                                    ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
