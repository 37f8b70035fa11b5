// The entries of the settings dialog's drop-down lists, in the order of the lookup tables and
// the WMA profile table, so a list index is what the settings file stores.
#pragma once

#include <QStringList>

QStringList SampleRateEntries();     // "6000 Hz" .. "48000 Hz"
QStringList BitRateEntries();        // "8 Kbps" .. "320 Kbps"
QStringList ChannelEntries();        // "Mono", "Stereo"
QStringList BitsPerSampleEntries();  // "8 Kbps", "16 Kbps": they choose 8 or 16 bits per sample
QStringList WmaProfileEntries();     // the 47 profile names
