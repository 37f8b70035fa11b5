#include "engines/WmaProfiles.h"

const WmaProfile kWmaProfiles[kWmaProfileCount] = {};
const WmaProfile* FindWmaProfile(int number) {
  if (number < 1 || number > static_cast<int>(kWmaProfileCount)) return nullptr;
  return &kWmaProfiles[number - 1];
}
