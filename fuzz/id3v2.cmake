velmora_add_fuzzer(fuzz_id3v2 ${CMAKE_CURRENT_LIST_DIR}/fuzz_id3v2.cpp)
target_link_libraries(fuzz_id3v2 PRIVATE velmora_id3v2)
