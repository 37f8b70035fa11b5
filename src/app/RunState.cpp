#include "app/RunState.h"

namespace {
constexpr int kEngineDefaults = -1;
}

RunState::RunState() {
  AudioFileRead.SetOption(kEngineDefaults);
  AudioFilewrite.SetOption(kEngineDefaults);
}
