# The kit for host programs: its header compiled as C and as C++.
add_library(kit_header_test OBJECT kit_header_test.c kit_header_test.cpp)
target_link_libraries(kit_header_test PRIVATE tarvel_host_header)
set_target_properties(kit_header_test PROPERTIES C_STANDARD 11 C_EXTENSIONS OFF)
