// Which FFmpeg demuxer opens a source. Well-known formats are named by their first bytes (and,
// where those are weak, by the extension), so opening skips FFmpeg's content probing, which
// asks every demuxer it has to look at the file; anything else is probed as usual.
#pragma once

#include <string>

struct AVInputFormat;

// The demuxer the file's first bytes and extension name, or null when they name none (then
// probe). Null also when FFmpeg lacks that demuxer.
const AVInputFormat* NamedDemuxer(const std::string& path);

// Every demuxer FFmpeg has, as a list for its "format_whitelist" option, except those that
// read further files or URLs named inside the source (playlists, concat lists, manifests,
// image sequences): a source is read from its own bytes only. FFmpeg checks the list before
// the demuxer reads anything.
const char* AcceptedDemuxers();
