# The MP3, OGG and WMA output backends, driven straight through the EncoderBackend interface
# and checked with ffprobe, ogginfo and mp3val.
velmora_add_test(test_encoder_mp3 SOURCES test_encoder_mp3.cpp LIBS velmora_engine)
velmora_add_test(test_encoder_ogg SOURCES test_encoder_ogg.cpp LIBS velmora_engine)
velmora_add_test(test_encoder_wma SOURCES test_encoder_wma.cpp LIBS velmora_engine)
