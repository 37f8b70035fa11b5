# UTF-8 ↔ ISO-8859-1 / UTF-16 helpers, usable by every tag module.
add_library(velmora_textencoding STATIC ${CMAKE_CURRENT_LIST_DIR}/TextEncoding.cpp)
target_include_directories(velmora_textencoding PUBLIC ${VELMORA_SRC_DIR})

add_library(velmora_id3v2 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2Tag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2Builder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2FilePrepend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2FrameCollector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2Parser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2Text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ID3v2V1Fallback.cpp)
target_include_directories(velmora_id3v2 PUBLIC ${VELMORA_SRC_DIR})
target_link_libraries(velmora_id3v2 PUBLIC velmora_tags velmora_textencoding)
