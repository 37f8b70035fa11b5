add_library(velmora_vorbiscomment STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OggTag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisComments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisFileIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisGranules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisPageSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisStreamWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VorbisUtf8.cpp
  ${CMAKE_CURRENT_LIST_DIR}/vcedit.cpp)
target_include_directories(velmora_vorbiscomment PUBLIC ${VELMORA_SRC_DIR})
target_link_libraries(velmora_vorbiscomment PUBLIC PkgConfig::VORBIS velmora_textencoding)
