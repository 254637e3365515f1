# Running actions: in-process through TR010Action, and TARVEL.EXE with action files.
add_wine_test(controller_run_action_test SOURCES controller_run_action_test.cpp LIBS tarvel_programs actionfile_core TIMEOUT 120)
add_dependencies(controller_run_action_test w32-writer handover-report handover-reply)

add_wine_test(controller_run_action_process_test SOURCES controller_run_action_process_test.cpp LIBS actionfile_core TIMEOUT 120)
add_dependencies(controller_run_action_process_test TARVEL console_host w32-writer w32-writer-gui
  handover-report)
target_compile_definitions(controller_run_action_process_test PRIVATE TARVEL_EXE="${DIST_DIR}/TARVEL.EXE")

# A host module under the name the launch routines look for, in a folder of its own: it
# writes its line count when the process detaches it.
add_library(detach_host SHARED programs/detach_host.cpp)
target_link_libraries(detach_host PRIVATE qurdex owner)
set_target_properties(detach_host PROPERTIES OUTPUT_NAME QuennetGetOutputHandle PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR}/detach_host)
add_dependencies(controller_run_action_process_test detach_host)
