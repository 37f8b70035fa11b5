velmora_add_test(test_vorbiscomment
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_vorbis_comments.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_vorbis_vcedit.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_ogg_tag.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_ogg_support.cpp
  LIBS velmora_vorbiscomment)
