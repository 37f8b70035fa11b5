# The tag table: per-row tag records of the file list.
target_sources(velmora_tags PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TagTable.cpp)
