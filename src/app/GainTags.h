// The loudness fields of an output's tag record: ReplayGain 2.0 (REPLAYGAIN_TRACK_GAIN
// "-4.52 dB", REPLAYGAIN_TRACK_PEAK as the linear true peak, the ALBUM pair likewise) or, for
// Opus, R128_TRACK_GAIN / R128_ALBUM_GAIN. They live in the record's extras, so each output's
// tag module writes them in its format's own way.
#pragma once

#include "app/LoudnessGain.h"
#include "base/AudioFormat.h"
#include "tags/TagExtras.h"

// Removes every ReplayGain and R128 field: values carried from a source describe the source's
// audio, not an output that was measured again or brought to another loudness.
void DropGainFields(TagExtras& extras);

// Replaces the gain fields with the track's values (the album's ones dropped).
void SetTrackGain(TagExtras& extras, AudioFormat output, const GainValues& track);
// Adds the album's values beside the track's.
void SetAlbumGain(TagExtras& extras, AudioFormat output, const GainValues& album);
