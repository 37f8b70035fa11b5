# Reading, writing, normalising and bad input of the audio engine core.
add_library(velmora_enginetest STATIC ${CMAKE_CURRENT_LIST_DIR}/EngineTestUtil.cpp)
target_link_libraries(velmora_enginetest PUBLIC velmora_engine velmora_testsupport)

velmora_add_test(engine_reader_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_reader.cpp
                 LIBS velmora_enginetest)
velmora_add_test(engine_writer_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_writer_wav.cpp
                 LIBS velmora_enginetest)
velmora_add_test(engine_normalize_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_normalize.cpp
                 LIBS velmora_engine)
velmora_add_test(engine_badinput_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_badinput.cpp
                 LIBS velmora_enginetest)
velmora_add_test(engine_writer_encoded_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_writer_encoded.cpp
                 LIBS velmora_enginetest)
