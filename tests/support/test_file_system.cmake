# kestrune_test_file_system: the file system that tests and benchmarks put in
# place of the system's (test_file_system.h). Included by tests/support and by
# bench, which may be built without the tests.
if(NOT TARGET kestrune_test_file_system)
  add_library(kestrune_test_file_system STATIC ${CMAKE_CURRENT_LIST_DIR}/test_file_system.cpp)
  target_include_directories(kestrune_test_file_system PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(kestrune_test_file_system PUBLIC kestrune_file)
endif()
