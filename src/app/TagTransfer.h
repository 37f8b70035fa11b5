// Tags between audio files and the rows' records, through the tag module of the file's format
// as the row carries it. WAV sources and sources in other formats are read through the generic
// reader; WAV outputs get no tags.
#pragma once

#include <optional>
#include <string>

#include "base/AudioFormat.h"
#include "tags/Timerec.h"

// The source's tags; nothing when its format has no tags. A reader's TagError passes.
std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format);

// Writes the record into a finished output file of that format; nothing for a format without
// tags. A writer's TagError passes.
void WriteTagsToOutput(const std::string& outputPath, AudioFormat format, const Timerec& record);
