#include "engines/AudioFile2.h"

struct TAudioFile2::Impl {};
TAudioFile2::TAudioFile2() : impl_(std::make_unique<Impl>()) {}
TAudioFile2::~TAudioFile2() = default;
void TAudioFile2::SetOption(int) {}
bool TAudioFile2::IsOpen() const { return false; }
void TAudioFile2::Close() {}
void TAudioFile2::OpenForRead(const std::string& path, int, int) { throw EngineError("Cannot open " + path + ": not implemented"); }
int64_t TAudioFile2::DurationMs() const { return 0; }
int TAudioFile2::SampleRate() const { return 0; }
int TAudioFile2::Channels() const { return 0; }
int TAudioFile2::FrameSize() const { return 0; }
int64_t TAudioFile2::Length() const { return 0; }
ByteBlock TAudioFile2::ReadBlock(int) { return {}; }
void TAudioFile2::SetWavFormat(int, int, int) {}
void TAudioFile2::SetMp3Encoder(const TAudioFile2LameEnc&) {}
void TAudioFile2::SetOggFormat(int, int, int, int, int, int16_t) {}
void TAudioFile2::SetWmaProfile(int) {}
bool TAudioFile2::IsMp3FormatSupported(int r, int b, int c) const { return Mp3FormatSupported(r, b, c); }
bool TAudioFile2::IsOggFormatSupported(int r, int c, int b, int mx, int mn) const { return OggFormatSupported(r, c, b, mx, mn); }
void TAudioFile2::SetSourceFormat(int, int) {}
void TAudioFile2::OpenForWrite(const std::string& path, int) { throw EngineError("Cannot create " + path + ": not implemented"); }
void TAudioFile2::WriteBlock(const ByteBlock&) {}
