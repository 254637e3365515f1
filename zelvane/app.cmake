# ZELVANE.EXE: the application object over the menu window library (the menu window,
# the About box and the window-less rules), which tests link as well.
add_library(zelvane_menu STATIC menu_rules.cpp zelvane_dlg.cpp about_dlg.cpp)
target_include_directories(zelvane_menu PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zelvane_menu PUBLIC zelvane_parts mfc pelvex)

add_executable(ZELVANE WIN32 zelvane_app.cpp res/zelvane.rc)
target_link_libraries(ZELVANE PRIVATE zelvane_menu mfc_main)
set_target_properties(ZELVANE PROPERTIES OUTPUT_NAME ZELVANE SUFFIX .EXE)
strip_shipped(ZELVANE)
