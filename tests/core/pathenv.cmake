# tarvel/pathenv: ABSPATH's resolution and JOINENV's merge.
add_core_fuzz(abspath_resolve LIBS pathenv_core)
add_core_fuzz(joinenv_merge LIBS pathenv_core)
