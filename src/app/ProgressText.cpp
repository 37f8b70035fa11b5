#include "app/ProgressText.h"

#include <cmath>
#include <cstdio>

namespace {

// Below this share of the run, an estimate says more about start-up than about the pace.
constexpr double kMinFractionForEstimate = 0.005;

}  // namespace

std::string TimeLeftText(double elapsedSeconds, double fraction) {
  if (fraction < kMinFractionForEstimate || fraction >= 1 || elapsedSeconds <= 0) return {};
  const long left = std::lround(elapsedSeconds * (1 - fraction) / fraction);
  char text[32];
  if (left >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld left", left / 3600, left / 60 % 60, left % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld left", left / 60, left % 60);
  return text;
}

std::string DoneText(const RunProgress& progress) {
  return std::to_string(progress.done) + "/" + std::to_string(progress.total) +
         (progress.totalFinal ? "" : "+") + " done";
}

std::string CountsText(const RunProgress& progress) {
  const std::string left = TimeLeftText(progress.elapsedSeconds, progress.fraction);
  return (left.empty() ? "" : left + ", ") + DoneText(progress);
}
