velmora_add_test(test_id3v2
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_id3v2_text.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_id3v2_writer.cpp
          ${CMAKE_CURRENT_LIST_DIR}/test_id3v2_reader.cpp
  LIBS velmora_id3v2)
