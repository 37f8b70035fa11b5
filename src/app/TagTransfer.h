// Tags between audio files and the tag table, through the tag module of the file's recognised
// format (letter case of the extension aside). WAV sources and sources in other formats are
// read through the generic reader; WAV outputs get no tags.
#pragma once

#include <optional>
#include <string>

#include "tags/TagTable.h"

// The source's tags; nothing when its format has no tags. A reader's TagError passes.
std::optional<Timerec> ReadSourceTags(const std::string& path);

// Writes the record into a finished output file; nothing for a format without tags.
// A writer's TagError passes.
void WriteTagsToOutput(const std::string& outputPath, const Timerec& record);
