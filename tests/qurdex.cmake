add_wine_test(qurdex_runtime_library_test SOURCES qurdex_runtime_library_test.cpp LIBS qurdex)

# Beside the test program, so the DLL search finds them first.
add_library(QXPROBE SHARED programs/qurdex_probe_dll.cpp)
target_link_libraries(QXPROBE PRIVATE qurdex)
set_target_properties(QXPROBE PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_executable(qurdex_call_missing programs/qurdex_call_missing.cpp)
target_link_libraries(qurdex_call_missing PRIVATE qurdex)
set_target_properties(qurdex_call_missing PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_executable(qurdex_run_end programs/qurdex_run_end.cpp)
target_link_libraries(qurdex_run_end PRIVATE qurdex owner)
set_target_properties(qurdex_run_end PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})
add_dependencies(qurdex_runtime_library_test QXPROBE qurdex_call_missing qurdex_run_end)
