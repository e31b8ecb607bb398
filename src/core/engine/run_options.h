// Small rules shared by the window and the command line when they fill a run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

constexpr std::uint8_t kDefaultStillTime = 3;

// A whole number as the still-time field accepts it: leading blanks and a
// sign allowed, nothing after the digits. Nothing for any other text.
std::optional<long long> ParseWholeNumber(const std::string& text);

// The still time a run uses for the field's text: clamped to 0..255, and 3
// when the text is no whole number (then `fieldReset` is set: the field is to
// show "3").
std::uint8_t StillTimeForRun(const std::string& text, bool& fieldReset);

// The field's text after it loses the focus: "255" above, "0" below the range,
// "3" for no whole number, otherwise unchanged.
std::string StillTimeFieldOnExit(const std::string& text);

// The title set number of a title video or title menu row, from characters
// 5 and 6 of its text, as decimal text without leading zeros ("VTS_01_..."
// gives "1", "VTS_42_..." gives "42"). Empty when the row has no number there.
std::string TitleSetNumberOfRow(const std::string& rowText);

}  // namespace kestrune
