// The sample rates a source may have: below or above these it is not sound the encoders or
// the resampler could take.
#pragma once

constexpr int kMinSourceRate = 1000;
constexpr int kMaxSourceRate = 768000;
