add_library(velmora_wmatag INTERFACE)
