// Tags between audio files and the tag table, by the file's extension compared exactly:
// ".wma" WMA attributes, ".ogg" Vorbis comments, ".mp3" ID3v2; any other extension has none.
// Both directions pass through the tag modules' program-wide current records.
#pragma once

#include <optional>
#include <string>

#include "tags/TagTable.h"

// The source's tags; nothing when its extension has no tag format. A reader's TagError passes.
std::optional<Timerec> ReadSourceTags(const std::string& path);

// Writes the record into a finished output file; nothing for an extension without tags.
// A writer's TagError passes; the writers' results are not looked at.
void WriteTagsToOutput(const std::string& outputPath, const Timerec& record);
