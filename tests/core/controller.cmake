# tarvel/controller: the application directory's expansion.
add_core_test(controller_appdir_expand_test SOURCES controller_appdir_expand_test.cpp
  LIBS controller_core)
add_core_fuzz(appdir_expand LIBS controller_core)
