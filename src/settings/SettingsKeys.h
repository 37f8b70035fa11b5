// Every key of kelvane.ini that the program reads or writes: its section, the default the
// settings dialog shows when the key is absent, the default a run works with, the value the
// dialog's Default button puts into the control, and the values it may hold. The settings
// dialog, the runs, the window and the command line name keys from here.
#pragma once

#include <string>

class TIniFile;

struct IntegerKey {
  const char* section;
  const char* key;
  int dialogDefault;
  int runDefault;
  int buttonDefault;  // what Default puts into the dialog's control
  int low;            // a run treats a stored value outside low..high as absent
  int high;
};

struct TextKey {
  const char* section;
  const char* key;
  const char* defaultValue;
};

namespace settings_keys {

// section, key, dialog default, run default, Default button, low, high
// 0..3 the classic formats, 4..6 FLAC, OPUS and M4A (the extended window and the command line).
inline constexpr IntegerKey kForint{"Format", "Forint", 0, 0, 0, 0, 6};
inline constexpr TextKey kDir{"Format", "Dir", ""};  // empty: the user's music folder

inline constexpr IntegerKey kWavMode{"wav", "mode", 0, 0, 0, 0, 2};
inline constexpr IntegerKey kWavBit{"wav", "bit", 1, 1, 1, 0, 1};
inline constexpr IntegerKey kWavChannel{"wav", "channel", 1, 1, 1, 0, 1};
inline constexpr IntegerKey kWavFrequency{"wav", "frequency", 8, 8, 8, 0, 9};

inline constexpr IntegerKey kMp3Bitrate{"mp3", "bitrate", 11, 11, 11, 0, 16};
inline constexpr IntegerKey kMp3Channel{"mp3", "channel", 1, 1, 1, 0, 1};
inline constexpr IntegerKey kMp3Frequency{"mp3", "frequency", 8, 8, 8, 0, 9};
inline constexpr IntegerKey kMp3Quality{"mp3", "quality", 7, 9, 9, 0, 9};
inline constexpr IntegerKey kMp3EnableVbr{"mp3", "enable vbr", 0, 0, 0, 0, 1};
inline constexpr IntegerKey kMp3VbrBitrate{"mp3", "vbr bitrate", 11, 11, 11, 0, 16};
inline constexpr IntegerKey kMp3VbrQuality{"mp3", "vbr quality", 4, 5, 0, 0, 9};

inline constexpr IntegerKey kWmaFormat{"wma", "format", 9, 9, 9, 0, 46};

inline constexpr IntegerKey kOggChannel{"ogg", "channel", 1, 1, 1, 0, 1};
inline constexpr IntegerKey kOggFrequency{"ogg", "frequency", 8, 8, 8, 0, 9};
inline constexpr IntegerKey kOggBitrate{"ogg", "bitrate", 11, 11, 11, 0, 16};
inline constexpr IntegerKey kOggMaxBitrate{"ogg", "max bitrate", 11, 11, 11, 0, 16};
inline constexpr IntegerKey kOggMinBitrate{"ogg", "min bitrate", 11, 11, 11, 0, 16};
inline constexpr IntegerKey kOggEnableQuality{"ogg", "enable quality", 1, 0, 1, 0, 1};
inline constexpr IntegerKey kOggQuality{"ogg", "quality", 300, 300, 300, 0, 1000};

// "bit": 0 the source's own depth, 1 16-bit, 2 24-bit (kFlacDepths).
inline constexpr IntegerKey kFlacCompression{"flac", "compression", 5, 5, 5, 0, 8};
inline constexpr IntegerKey kFlacBit{"flac", "bit", 0, 0, 0, 0, 2};
// "bitrate" in kbit/s; "mode": 0 VBR, 1 constrained VBR, 2 CBR.
inline constexpr IntegerKey kOpusBitrate{"opus", "bitrate", 128, 128, 128, 6, 510};
inline constexpr IntegerKey kOpusMode{"opus", "mode", 0, 0, 0, 0, 2};
inline constexpr IntegerKey kOpusComplexity{"opus", "complexity", 10, 10, 10, 0, 10};
// "bitrate" in kbit/s; "vbr quality" the AAC encoder's VBR quality in tenths (1 = 0.1).
inline constexpr IntegerKey kM4aBitrate{"m4a", "bitrate", 192, 192, 192, 32, 320};
inline constexpr IntegerKey kM4aEnableVbr{"m4a", "enable vbr", 0, 0, 0, 0, 1};
inline constexpr IntegerKey kM4aVbrQuality{"m4a", "vbr quality", 10, 10, 10, 1, 20};

// The program's own section: options the classic sections have no place for.
inline constexpr const char* kOwnSection = "Velmora";
// "classic" or "extended": the face the window starts in.
inline constexpr TextKey kFace{kOwnSection, "face", "classic"};
// Files converted at once by the extended window; 0: as many as the processors it may use.
inline constexpr IntegerKey kJobs{kOwnSection, "jobs", 0, 0, 0, 0, 256};
// How the extended window lays out a library: outputs of files added from a folder keep its
// tree (1) or all go straight into the output folder (0)...
inline constexpr IntegerKey kKeepTree{kOwnSection, "keep tree", 1, 1, 1, 0, 1};
// ...named by this pattern ("%artist%/%album%/%track% - %title%"; empty: the source's name)...
inline constexpr TextKey kNamePattern{kOwnSection, "name pattern", ""};
// ...and an output name already taken gets a number, or its source is skipped or updated.
inline constexpr TextKey kExistingOutputs{kOwnSection, "existing outputs", "number"};

}  // namespace settings_keys

// The dialog's reads: the stored value as it is (the controls keep their own limits), the
// dialog's default when absent or unreadable.
int ReadForDialog(const TIniFile& settings, const IntegerKey& key);
bool ReadBoolForDialog(const TIniFile& settings, const IntegerKey& key);
// A run's reads: the stored value within the key's range, else the run's default.
int ReadForRun(const TIniFile& settings, const IntegerKey& key);
bool ReadBoolForRun(const TIniFile& settings, const IntegerKey& key);
// The stored value unchecked, the run's default when absent: for keys whose values outside the
// range have a meaning of their own ("mode" and "enable vbr" then set nothing).
int ReadUncheckedForRun(const TIniFile& settings, const IntegerKey& key);
std::string ReadText(const TIniFile& settings, const TextKey& key);

void Write(TIniFile& settings, const IntegerKey& key, int value);
void WriteBool(TIniFile& settings, const IntegerKey& key, bool value);
void Write(TIniFile& settings, const TextKey& key, const std::string& value);
