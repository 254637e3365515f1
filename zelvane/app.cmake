# ZELVANE.EXE: the application object, the menu window, the About box and the
# resources; the window-less rules are a library of their own so tests call them.
add_library(zelvane_menu STATIC menu_rules.cpp)
target_include_directories(zelvane_menu PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(ZELVANE WIN32 zelvane_app.cpp zelvane_dlg.cpp about_dlg.cpp res/zelvane.rc)
target_link_libraries(ZELVANE PRIVATE zelvane_menu zelvane_core mfc_main mfc pelvex)
set_target_properties(ZELVANE PROPERTIES OUTPUT_NAME ZELVANE SUFFIX .EXE)
