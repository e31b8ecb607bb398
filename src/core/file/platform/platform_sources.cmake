# The file layer's system calls: the Windows (Win32) or the POSIX implementation,
# as KESTRUNE_PLATFORM_SOURCES. Included by src/core/CMakeLists.txt.
if(WIN32)
  set(KESTRUNE_PLATFORM_SOURCES ${CMAKE_CURRENT_LIST_DIR}/win32/file_layer_win32.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/win32/folder_listing_win32.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/win32/folder_access_win32.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/win32/win32_support.cpp)
else()
  set(KESTRUNE_PLATFORM_SOURCES ${CMAKE_CURRENT_LIST_DIR}/posix/file_layer_posix.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/posix/folder_listing_posix.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/posix/folder_access_posix.cpp)
endif()
