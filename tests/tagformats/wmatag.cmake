velmora_add_test(test_wmatag
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_wma_fields.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_wma_header_walk.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_wma_audio_info.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_wma_tag.cpp
  LIBS velmora_wmatag)
