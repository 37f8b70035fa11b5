// FFmpeg's libraries, opened on first use instead of at start-up. They bring well over a hundred
// shared libraries with them (every codec and protocol FFmpeg was built with), whose loading
// costs a process about as much time as encoding a minute of FLAC; listing and converting plain
// WAVs to FLAC, MP3 or Ogg need none of it. The engine calls FFmpeg's functions as declared in
// its headers: their definitions in FfmpegCalls.cpp forward each call here.
#pragma once

#include "engines/EngineError.h"

// The address of FFmpeg's function `name`; the libraries are opened by the first call, on any
// thread. Throws EngineError when they cannot be opened.
void* FfmpegSymbol(const char* name);

template <typename Function>
Function FfmpegFunction(const char* name) {
  return reinterpret_cast<Function>(FfmpegSymbol(name));
}
