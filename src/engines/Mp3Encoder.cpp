#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"

std::unique_ptr<EncoderBackend> MakeMp3Encoder(const Mp3Settings&) { throw EngineError("MP3 encoding is not available yet"); }
bool Mp3FormatSupported(int, int, int) { return true; }
