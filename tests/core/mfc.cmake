# mfc: the argument text of a command line.
add_core_fuzz(argument_text LIBS mfc_core)
