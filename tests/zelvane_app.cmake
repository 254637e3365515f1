# The front-end application: its rules, the menu window in-process, the artwork and the
# resources read back from the executable, and ZELVANE.EXE end to end under Wine with
# real X input.

# Puts the framework and picture library DLLs a test program links beside it.
function(zelvane_test_dlls target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_RUNTIME_DLLS:${target}> ${TEST_BIN_DIR}
    COMMAND_EXPAND_LISTS)
endfunction()

add_wine_test(zelvane_menu_rules_test SOURCES zelvane_menu_rules_test.cpp LIBS zelvane_menu)
zelvane_test_dlls(zelvane_menu_rules_test)

# The menu window in the test program itself, with the program's resources linked in.
add_wine_test(zelvane_dlg_test
  SOURCES zelvane_dlg_test.cpp ${CMAKE_SOURCE_DIR}/zelvane/res/zelvane.rc
  LIBS zelvane_menu RESOURCE_LOCK x_input)
zelvane_test_dlls(zelvane_dlg_test)

# The front-end and its DLLs, which the end-to-end test copies into its CD trees.
add_custom_target(zelvane_test_front ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TEST_BIN_DIR}/zelvane_front
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:ZELVANE>
          $<TARGET_RUNTIME_DLLS:ZELVANE> ${TEST_BIN_DIR}/zelvane_front
  DEPENDS ZELVANE
  VERBATIM COMMAND_EXPAND_LISTS)

add_wine_test(zelvane_app_test SOURCES zelvane_app_test.cpp TIMEOUT 300 RESOURCE_LOCK x_input
  LIBS advapi32)
add_dependencies(zelvane_app_test zelvane-record zelvane_test_front)

add_test(NAME zelvane_artwork
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/artwork_make_artwork_test.py)
add_test(NAME zelvane_resources
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/zelvane_res_test.py
          $<TARGET_FILE:ZELVANE>)
# Leaves build/screenshots/cd-menu.png and cd-menu-about.png behind: the menu as the
# build shows it, and with its About box open.
add_test(NAME zelvane_cd_menu_screenshot
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/cd_menu_screenshot_test.py
          ${CMAKE_SOURCE_DIR}/tools/cd-menu/cd-menu ${CMAKE_BINARY_DIR})
# Writes the sample CD as an image in a temporary folder and reads it back.
add_test(NAME zelvane_cd_image
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/cd_menu_cd_image_test.py
          ${CMAKE_SOURCE_DIR}/tools/cd-menu/cd-image ${CMAKE_BINARY_DIR})
set_tests_properties(zelvane_artwork zelvane_resources zelvane_cd_image PROPERTIES TIMEOUT 120)
math(EXPR screenshot_timeout "400 * ${TEST_TIME_SCALE}")
set_tests_properties(zelvane_cd_menu_screenshot PROPERTIES TIMEOUT ${screenshot_timeout} RESOURCE_LOCK x_input)

# A test build of the picture library whose display colour count the variable
# PELVEX_TEST_COLOURS sets, for the menu's picture choice at 20 and 21 colours.
set(PELVEX_TEST_DIR ${TEST_BIN_DIR}/pelvex_test_colours)
add_library(pelvex_test_colours SHARED ${CMAKE_SOURCE_DIR}/pelvex/src/picture_wnd.cpp
  ${CMAKE_SOURCE_DIR}/pelvex/pelvex.def)
target_include_directories(pelvex_test_colours PRIVATE ${CMAKE_SOURCE_DIR}/pelvex/src
  ${CMAKE_SOURCE_DIR}/pelvex/include)
target_compile_definitions(pelvex_test_colours PRIVATE PELVEX_BUILD)
target_compile_options(pelvex_test_colours PRIVATE
  -include ${CMAKE_CURRENT_SOURCE_DIR}/programs/pelvex_display_colours.h)
target_link_libraries(pelvex_test_colours PRIVATE mfc gdi32 user32 owner pelvex_core)
set_target_properties(pelvex_test_colours PROPERTIES PREFIX "" OUTPUT_NAME pelvex
  RUNTIME_OUTPUT_DIRECTORY ${PELVEX_TEST_DIR} ARCHIVE_OUTPUT_DIRECTORY ${PELVEX_TEST_DIR})
add_dependencies(zelvane_app_test pelvex_test_colours)
