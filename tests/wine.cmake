# The Windows build's tests run under Wine (the toolchain file's emulator, in
# the Wine prefix ${CMAKE_BINARY_DIR}/wine-prefix). The prefix is made once,
# here, headless, so that no two test programs race to make it.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(FATAL_ERROR "The Windows tests run under Wine: install wine64 (scripts/install-deps.sh --tests)")
endif()
set(KESTRUNE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
get_filename_component(_kestrune_wine_dir ${KESTRUNE_WINE64} DIRECTORY)
find_program(KESTRUNE_WINESERVER NAMES wineserver wineserver64 PATHS ${_kestrune_wine_dir} NO_DEFAULT_PATH)
find_program(KESTRUNE_WINESERVER NAMES wineserver wineserver64)
if(NOT EXISTS ${KESTRUNE_WINE_PREFIX}/system.reg)
  message(STATUS "Making the Wine prefix ${KESTRUNE_WINE_PREFIX}")
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot -i RESULT_VARIABLE wineboot OUTPUT_QUIET ERROR_QUIET)
  # Wine's server writes the prefix's registry when it ends, a few seconds
  # after its last program.
  if(KESTRUNE_WINESERVER)
    execute_process(COMMAND env WINEPREFIX=${KESTRUNE_WINE_PREFIX} ${KESTRUNE_WINESERVER} -w)
  endif()
  if(NOT wineboot EQUAL 0 OR NOT EXISTS ${KESTRUNE_WINE_PREFIX}/system.reg)
    message(FATAL_ERROR "wineboot -i could not make the Wine prefix ${KESTRUNE_WINE_PREFIX}")
  endif()
endif()

# Windows' windows and their drawing without a display: Wine's null graphics
# driver, so that the Win32 window's tests create it, lay it out, measure its
# texts and answer its message boxes in-process, headless. Set once per prefix.
file(READ ${KESTRUNE_WINE_PREFIX}/user.reg _kestrune_user_reg)
if(NOT _kestrune_user_reg MATCHES "\"Graphics\"=\"null\"")
  message(STATUS "Giving the Wine prefix the null graphics driver")
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics
                          /d null /f RESULT_VARIABLE _kestrune_reg OUTPUT_QUIET ERROR_QUIET)
  if(KESTRUNE_WINESERVER)
    execute_process(COMMAND env WINEPREFIX=${KESTRUNE_WINE_PREFIX} ${KESTRUNE_WINESERVER} -w)
  endif()
  if(NOT _kestrune_reg EQUAL 0)
    message(FATAL_ERROR "reg add could not give the Wine prefix ${KESTRUNE_WINE_PREFIX} the null graphics driver")
  endif()
endif()

# A path of the build machine as the Windows programs see it under Wine: its
# drive Z: is the root folder.
function(kestrune_wine_path out path)
  string(REPLACE "/" "\\" windows "${path}")
  set(${out} "Z:${windows}" PARENT_SCOPE)
endfunction()

# The tests that make and restore many small folders work on a RAM disk where
# the build machine has one (KESTRUNE_TEST_SCRATCH, read by those tests).
if(IS_DIRECTORY /dev/shm)
  kestrune_wine_path(_kestrune_scratch /dev/shm)
  set(CMAKE_CROSSCOMPILING_EMULATOR env KESTRUNE_TEST_SCRATCH=${_kestrune_scratch} ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
