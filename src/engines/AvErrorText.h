// FFmpeg's text for one of its negative error codes, for our engine errors.
#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

inline std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}
