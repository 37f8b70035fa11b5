// MP3 encoder settings object. The conversion run fills it and hands it to the writer with
// SetMp3Encoder; the writer copies the values when the output is opened.
#pragma once

class TAudioFile2LameEnc {
 public:
  // VbrMethod values: constant bit rate, or LAME's default variable-bit-rate mode.
  static constexpr int kVbrOff = -1;
  static constexpr int kVbrOn = 0;

  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int BitRate() const { return bitRate_; }  // kbit/s
  int Quality() const { return quality_; }
  int VbrMethod() const { return vbrMethod_; }
  int VbrBitRate() const { return vbrBitRate_; }
  int VbrQuality() const { return vbrQuality_; }

  void SetSampleRate(int hz) { sampleRate_ = hz; }
  void SetChannels(int channels) { channels_ = channels; }
  void SetBitRate(int kbps) { bitRate_ = kbps; }
  void SetQuality(int quality) { quality_ = quality; }           // 0 best … 9 fastest (LAME's scale)
  void SetVbrMethod(int method) { vbrMethod_ = method; }
  void SetVbrBitRate(int kbps) { vbrBitRate_ = kbps; }
  void SetVbrQuality(int quality) { vbrQuality_ = quality; }     // 0 best … 9 smallest

 private:
  int sampleRate_ = 44100;
  int channels_ = 2;
  int bitRate_ = 128;
  int quality_ = 5;
  int vbrMethod_ = kVbrOff;
  int vbrBitRate_ = 128;
  int vbrQuality_ = 4;
};
