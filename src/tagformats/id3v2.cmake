add_library(velmora_id3v2 INTERFACE)
