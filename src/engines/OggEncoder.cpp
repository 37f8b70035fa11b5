#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"

std::unique_ptr<EncoderBackend> MakeOggEncoder(const OggSettings&) { throw EngineError("OGG encoding is not available yet"); }
bool OggFormatSupported(int, int, int, int, int) { return true; }
