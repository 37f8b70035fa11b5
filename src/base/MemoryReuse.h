// How the C library hands memory back: a batch allocates and frees the same large blocks for
// every file (a picture, its tag, the encoder's buffers), and each block the library returned
// to the system and took again costs a page fault per page.
#pragma once

// Keeps freed blocks of up to tens of megabytes in the process for the next file instead of
// unmapping them. Call once at start, before any thread.
void KeepFreedMemoryForReuse();
