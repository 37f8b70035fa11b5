// The 47 WMA encoding profiles offered to the user, and what our WMA encoder makes of each.
#pragma once

#include <cstddef>

struct WmaProfile {
  const char* name;      // as the settings dialog lists it
  int sampleRate;        // Hz
  int channels;
  int bitRateKbps;       // what is actually encoded (see WmaProfiles.cpp for the lifts)
};

constexpr size_t kWmaProfileCount = 47;
extern const WmaProfile kWmaProfiles[kWmaProfileCount];

// Profile numbers are 1-based: number n is kWmaProfiles[n - 1]. Null when out of range.
const WmaProfile* FindWmaProfile(int number);
