#include "settings/dialog/SettingsChoices.h"

#include "engines/WmaProfiles.h"
#include "settings/LookupTables.h"

namespace {

template <size_t N>
QStringList WithUnit(const int (&values)[N], const char* unit) {
  QStringList entries;
  for (int value : values) entries << QString::number(value) + QLatin1Char(' ') + QLatin1String(unit);
  return entries;
}

}  // namespace

QStringList SampleRateEntries() { return WithUnit(kSampleRates, "Hz"); }

QStringList BitRateEntries() { return WithUnit(kBitRates, "Kbps"); }

QStringList ChannelEntries() { return {QStringLiteral("Mono"), QStringLiteral("Stereo")}; }

// The lists read "Kbps" here too, though they pick 8 or 16 bits per sample.
QStringList BitsPerSampleEntries() { return WithUnit(kBitsPerSample, "Kbps"); }

QStringList WmaProfileEntries() {
  QStringList entries;
  for (const WmaProfile& profile : kWmaProfiles) entries << QString::fromLatin1(profile.name);
  return entries;
}
