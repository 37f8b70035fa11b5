add_library(velmora_wmatag STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WmaTag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WmaAudioInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AsfHeaderWalk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WmaText.cpp)
target_include_directories(velmora_wmatag PUBLIC ${VELMORA_SRC_DIR})
target_link_libraries(velmora_wmatag PUBLIC PkgConfig::TAGLIB velmora_textencoding)
