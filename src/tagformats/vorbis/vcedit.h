// Ogg Vorbis comment editor: reads the three Vorbis header packets of a stream through
// caller-supplied I/O, exposes the comment block, and writes the whole stream back with a new
// comment packet while every audio packet keeps its granule position.
#pragma once

#include <cstddef>

#include <vorbis/codec.h>

extern "C" {

// Reads or writes size × count bytes through `handle`; returns the number of whole items moved.
typedef size_t (*vcedit_io_func)(void* buffer, size_t size, size_t count, void* handle);

struct vcedit_state;

vcedit_state* vcedit_new_state(void);

// Reads the header packets from `in`. Returns 0 when the comment block is available; otherwise
// non-zero and vcedit_error() says why. `write` is kept for vcedit_write.
int vcedit_open_callbacks(vcedit_state* state, void* in, vcedit_io_func read, vcedit_io_func write);

// The stream's comment block, libvorbis's own structure; change it before vcedit_write.
vorbis_comment* vcedit_comments(vcedit_state* state);

// Writes the whole stream to `out` with the current comment block. Returns 0 on success.
int vcedit_write(vcedit_state* state, void* out);

// Text of the last failure, or null when nothing failed.
const char* vcedit_error(const vcedit_state* state);

void vcedit_clear(vcedit_state* state);
}
