#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stripstock {

// The user's regional settings. The program uses German settings wherever it runs;
// this is the one place to change that.
struct RegionalSettings {
    char dateSeparator = '.';
    char decimalSeparator = ',';
    char thousandsSeparator = '.';
    int twoDigitYearMax = 2029;  // "30" -> 1930, "29" -> 2029
};

const RegionalSettings& CurrentRegion();

// Text typed into a date field -> OLE date. Day first (d.m.yyyy, d.m.yy), optional time
// h:mm or h:mm:ss; ISO yyyy-mm-dd accepted too. nullopt for text that is no date.
std::optional<double> ParseDate(std::string_view text,
                                const RegionalSettings& region = CurrentRegion());

// The zero date-time 30.12.1899 00:00.
bool IsZeroDate(double oleDate);

// Text typed into a number field -> 16-bit integer: decimal comma, thousands points,
// surrounding blanks; exact halves go to the even neighbour. nullopt when empty, not a
// number or outside -32768..32767.
std::optional<std::int16_t> ParseInt16(std::string_view text,
                                       const RegionalSettings& region = CurrentRegion());

// The number at the start of text, read the way BASIC's Val() reads it whatever the region:
// blanks, tabs and line feeds are ignored anywhere, "." is the decimal point, an exponent may
// start with e or d, reading stops at the first other character and text without a leading
// number is 0. Too small for a double reads as 0, too large as infinity.
double BasicVal(std::string_view text);

// OLE date -> short date text (dd.MM.yyyy), the time dropped; "" for a value outside the
// OLE date range.
std::string FormatShortDate(double oleDate, const RegionalSettings& region = CurrentRegion());

}  // namespace stripstock
