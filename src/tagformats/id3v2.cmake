add_library(velmora_id3v2 STATIC ${CMAKE_CURRENT_LIST_DIR}/ID3v2Tag.cpp)
target_include_directories(velmora_id3v2 PUBLIC ${VELMORA_SRC_DIR})
target_link_libraries(velmora_id3v2 PUBLIC velmora_tags)
