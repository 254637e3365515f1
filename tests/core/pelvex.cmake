# pelvex: the picture library's checks of bitmap resources and its arithmetic.
add_core_test(pelvex_picture_logic_test SOURCES pelvex_picture_logic_test.cpp LIBS pelvex_core)
