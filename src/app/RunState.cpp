#include "app/RunState.h"

RunState::RunState() {
  AudioFileRead.SetOption(EngineOption::kDefaults);
  AudioFilewrite.SetOption(EngineOption::kDefaults);
}
