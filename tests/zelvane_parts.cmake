# The framework layer, the picture library and the front-end's parts.

# Test-only resources: two run-length encoded pictures, a broken one, the hand cursor
# and a small dialog.
set(FRAMEWORK_TEST_RES ${CMAKE_BINARY_DIR}/tests/resources)
add_custom_command(
    OUTPUT ${FRAMEWORK_TEST_RES}/framework_test_res.o
    COMMAND ${CMAKE_COMMAND} -E make_directory ${FRAMEWORK_TEST_RES}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/resources/make_test_resources.py
            ${FRAMEWORK_TEST_RES}
    COMMAND ${CMAKE_RC_COMPILER} -I${FRAMEWORK_TEST_RES}
            -i ${CMAKE_CURRENT_SOURCE_DIR}/resources/framework_test.rc
            -o ${FRAMEWORK_TEST_RES}/framework_test_res.o
    DEPENDS resources/make_test_resources.py resources/framework_test.rc)

# The framework's DLLs beside a test program, as beside a shipped one.
function(copy_framework_dlls target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:mfc> $<TARGET_FILE:pelvex>
            ${TEST_BIN_DIR})
endfunction()

add_executable(zelvane-launcher WIN32 programs/zelvane-launcher.cpp)
target_link_libraries(zelvane-launcher PRIVATE mfc_main zelvane_parts)
add_executable(zelvane-record programs/zelvane-record.cpp)
target_link_libraries(zelvane-record PRIVATE owner)
set_target_properties(zelvane-launcher zelvane-record PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR})

# Tests that show windows or move the pointer share the display's lock.
add_wine_test(mfc_test SOURCES mfc_test.cpp ${FRAMEWORK_TEST_RES}/framework_test_res.o
    LIBS mfc RESOURCE_LOCK x_input)
copy_framework_dlls(mfc_test)

# The program's name is the application's, under which the setting test finds its key.
add_wine_test(zelvane_core_test
    SOURCES zelvane_hotspot_wnd_test.cpp zelvane_launch_test.cpp
            ${FRAMEWORK_TEST_RES}/framework_test_res.o
    LIBS zelvane_parts RESOURCE_LOCK x_input)
copy_framework_dlls(zelvane_core_test)
add_dependencies(zelvane_core_test zelvane-launcher zelvane-record)
