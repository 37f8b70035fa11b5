// Tags between audio files and the rows' records, through the tag module of the file's format
// as the row carries it. WAV sources and sources in other formats are read through the generic
// reader; WAV outputs get no tags.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "base/AudioFormat.h"
#include "base/FileStamp.h"
#include "tags/Timerec.h"

// The source's tags; nothing when its format has no tags. The pictures keep their description
// and their place in the source, not their images (see SourcePictures). A reader's TagError
// passes.
std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format);
// The same, with the source's stamp taken before (by the caller's own look at the file).
std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format,
                                      const std::optional<FileStamp>& stamp);

// Writes the record into a finished output file of that format; nothing for a format without
// tags. The pictures' images are read from their sources; returns how many pictures were left
// out because their source changed or went since it was read. A writer's TagError passes.
size_t WriteTagsToOutput(const std::string& outputPath, AudioFormat format, const Timerec& record);
