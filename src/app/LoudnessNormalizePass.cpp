#include "app/LoudnessNormalizePass.h"

#include "app/LoudnessGain.h"

double MeasureNormalizeGain(TAudioFile2& reader, const std::string& source, ReadFlags shape,
                            double targetLufs, const MeasureProgress& progress) {
  const LoudnessResult measured = MeasureOpenSource(reader, progress)->Result();
  reader.OpenForRead(source, ReadMode::kWholeSource, shape);
  return LoudnessNormalizeGain(measured, targetLufs);
}

int MeasuringPercent(int passPercent) { return passPercent / 2; }
int WritingPercent(int passPercent) { return 50 + passPercent / 2; }
