#include "app/DisplayFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 5;
constexpr int kDecimals = 2;

std::string FormatFixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Rounds once, at whichever comes first: the fifth significant digit or the second decimal.
std::string FixedWithinPrecision(double megabytes) {
  int integerDigits = megabytes >= 1.0 ? static_cast<int>(std::floor(std::log10(megabytes))) + 1 : 1;
  int decimals = std::min(kDecimals, kSignificantDigits - integerDigits);
  if (decimals < 0) decimals = 0;
  std::string rounded = FormatFixed(megabytes, decimals);
  // Pad to two decimals: digits beyond the precision show as zeros.
  if (decimals == 0) return rounded + ".00";
  return rounded + std::string(static_cast<size_t>(kDecimals - decimals), '0');
}

std::string ExponentText(double megabytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*E", kSignificantDigits - 1, megabytes);
  // Three exponent digits, as in "1.0000E+005".
  std::string result = text;
  size_t e = result.find('E');
  std::string mantissa = result.substr(0, e);
  char sign = result[e + 1];
  int exponent = std::atoi(result.c_str() + e + 2);
  char exponentText[16];
  std::snprintf(exponentText, sizeof exponentText, "E%c%03d", sign, exponent);
  return mantissa + exponentText;
}

}  // namespace

std::string SizeText(uint64_t bytes) {
  double megabytes = static_cast<double>(bytes) / 1024 / 1024;
  std::string fixed = FixedWithinPrecision(megabytes);
  if (std::strtod(fixed.c_str(), nullptr) >= 100000.0) return ExponentText(megabytes) + "MB";
  return fixed + "MB";
}

std::string TimeText(int64_t milliseconds) {
  long long seconds = milliseconds / 1000;
  long long hours = seconds / 3600;
  long long minutes = (seconds - hours * 3600) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", hours, minutes, seconds % 60);
  return text;
}
