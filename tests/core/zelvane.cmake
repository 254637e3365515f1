# zelvane: the hot-spot control's mapping and hit rule over the menu's panels.
add_core_fuzz(hot_spots LIBS zelvane_core)
