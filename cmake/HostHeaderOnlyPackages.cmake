# CLI11 and nlohmann-json for a cross build. Both are header-only, and Debian's
# packages (libcli11-dev, nlohmann-json3-dev) install the same headers for
# every target; but their CMake packages name /usr/include, which must not be
# searched when compiling for another system (it holds the build machine's C
# library). So only their own header folders are copied into the build folder,
# and the targets find_package would give are made over that copy.
set(KESTRUNE_HOST_INCLUDE_DIR /usr/include CACHE PATH "Where the header-only packages' headers are installed")
set(_kestrune_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(folder CLI nlohmann)
  if(NOT EXISTS ${KESTRUNE_HOST_INCLUDE_DIR}/${folder})
    message(FATAL_ERROR "${KESTRUNE_HOST_INCLUDE_DIR}/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(COPY ${KESTRUNE_HOST_INCLUDE_DIR}/${folder} DESTINATION ${_kestrune_headers})
endforeach()
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_kestrune_headers})
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_kestrune_headers})
endif()
