# The kit for host programs: its header compiled as C and as C++, its samples run, and
# the installed kit built on its own with its CMake file.
add_library(kit_header_test OBJECT kit_header_test.c kit_header_test.cpp)
target_link_libraries(kit_header_test PRIVATE tarvel_host_header)
set_target_properties(kit_header_test PROPERTIES C_STANDARD 11 C_EXTENSIONS OFF)

add_wine_test(kit_samples_test SOURCES kit_samples_test.cpp $<TARGET_OBJECTS:kit_header_test>
              LIBS sample_table TIMEOUT 240)
target_include_directories(kit_samples_test PRIVATE ${DIST_DIR}/kit/samples)
target_compile_definitions(kit_samples_test PRIVATE
  KIT_SAMPLES_BIN="${CMAKE_BINARY_DIR}/kit-samples/bin")
add_dependencies(kit_samples_test host_process host_in_process forward_lines tarvel_beside_samples)

math(EXPR kit_build_timeout "600 * ${TEST_TIME_SCALE}")
add_test(NAME kit_standalone_build
  COMMAND ${CMAKE_COMMAND} -DKIT=${DIST_DIR}/kit -DBUILD=${CMAKE_BINARY_DIR}/kit-standalone
          -DWINE_RUN=${PROJECT_SOURCE_DIR}/cmake/wine-run
          -P ${CMAKE_CURRENT_SOURCE_DIR}/kit_standalone_build.cmake)
set_tests_properties(kit_standalone_build PROPERTIES TIMEOUT ${kit_build_timeout})
