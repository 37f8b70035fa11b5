#include "app/BatchProgress.h"

#include <algorithm>

void BatchProgress::Reset() {
  inFlight_.clear();
  finished_ = 0;
}

void BatchProgress::Started(size_t row) { inFlight_[row] = 0; }

void BatchProgress::Progress(size_t row, int percent) {
  auto file = inFlight_.find(row);
  if (file != inFlight_.end()) file->second = std::max(file->second, percent);
}

bool BatchProgress::Ended(size_t row, bool finished) {
  if (inFlight_.erase(row) == 0) return false;
  if (finished) ++finished_;
  return true;
}

int BatchProgress::Percent(size_t total) const {
  if (total == 0) return 0;
  return static_cast<int>(std::min<size_t>(100, Parts() / total));
}

double BatchProgress::Fraction(size_t total) const {
  if (total == 0) return 0;
  return std::min(1.0, static_cast<double>(Parts()) / (100.0 * static_cast<double>(total)));
}

size_t BatchProgress::Parts() const {
  size_t parts = finished_ * 100;
  for (const auto& file : inFlight_) parts += static_cast<size_t>(file.second);
  return parts;
}
