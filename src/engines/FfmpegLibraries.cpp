#include "engines/FfmpegLibraries.h"

#include <dlfcn.h>

#include <array>
#include <mutex>
#include <string>

extern "C" {
#include <libavcodec/version_major.h>
#include <libavformat/version_major.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
#include <libswresample/version_major.h>
}

namespace {

// The major versions the engine was built against: another major version is another ABI.
constexpr std::array<const char*, 4> kLibraryNames = {
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR)};

// Opened once for the process and never closed: FFmpeg keeps global state.
class Libraries {
 public:
  Libraries() {
    for (size_t i = 0; i < kLibraryNames.size(); ++i) {
      handles_[i] = dlopen(kLibraryNames[i], RTLD_NOW | RTLD_LOCAL);
      if (!handles_[i]) {
        const char* reason = dlerror();
        error_ = std::string("FFmpeg could not be loaded: ") + (reason ? reason : kLibraryNames[i]);
        return;
      }
    }
  }

  void* Symbol(const char* name) const {
    if (!error_.empty()) throw EngineError(error_);
    for (void* handle : handles_)
      if (void* symbol = dlsym(handle, name)) return symbol;
    throw EngineError(std::string("FFmpeg has no function ") + name);
  }

 private:
  std::array<void*, kLibraryNames.size()> handles_{};
  std::string error_;
};

}  // namespace

void* FfmpegSymbol(const char* name) {
  static const Libraries libraries;  // opened by the first caller; the others wait for it
  return libraries.Symbol(name);
}
