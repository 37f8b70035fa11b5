#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"

std::unique_ptr<EncoderBackend> MakeWmaEncoder(int) { throw EngineError("WMA encoding is not available yet"); }
