#include "run_options.h"

#include <cctype>
#include <cstdint>

namespace kestrune {

std::optional<long long> ParseWholeNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    // The field holds a 32-bit integer; longer numbers are no whole number.
    if (value > static_cast<long long>(INT32_MAX) + 1) return std::nullopt;
  }
  value = negative ? -value : value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return value;
}

std::uint8_t StillTimeForRun(const std::string& text, bool& fieldReset) {
  fieldReset = false;
  const auto value = ParseWholeNumber(text);
  if (!value) {
    fieldReset = true;
    return kDefaultStillTime;
  }
  if (*value > 255) return 255;
  if (*value < 0) return 0;
  return static_cast<std::uint8_t>(*value);
}

std::string StillTimeFieldOnExit(const std::string& text) {
  const auto value = ParseWholeNumber(text);
  if (!value) return std::to_string(kDefaultStillTime);
  if (*value > 255) return "255";
  if (*value < 0) return "0";
  return text;
}

std::string TitleSetNumberOfRow(const std::string& rowText) {
  if (rowText.size() < 6) return {};
  const char hi = rowText[4], lo = rowText[5];
  if (!std::isdigit(static_cast<unsigned char>(hi)) || !std::isdigit(static_cast<unsigned char>(lo))) return {};
  return std::to_string((hi - '0') * 10 + (lo - '0'));
}

}  // namespace kestrune
