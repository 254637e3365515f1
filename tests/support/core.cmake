# The helpers of the tests that build for the host too: fixed-width fields, files.
add_library(core_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/core_support.cpp)
target_include_directories(core_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
