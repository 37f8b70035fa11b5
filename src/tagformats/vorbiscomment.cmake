add_library(velmora_vorbiscomment STATIC ${CMAKE_CURRENT_LIST_DIR}/OggTag.cpp)
target_include_directories(velmora_vorbiscomment PUBLIC ${VELMORA_SRC_DIR})
target_link_libraries(velmora_vorbiscomment PUBLIC PkgConfig::VORBIS)
