#include "text/Regional.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "text/CaseFold.h"
#include "text/OleDate.h"

namespace stripstock {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view StripBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads a run of 1..maxDigits digits at pos; longer runs are no date field.
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits, int& value,
                std::size_t& digits) {
    value = 0;
    digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (++digits > maxDigits) {
            return false;
        }
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return digits > 0;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

int ExpandYear(int year, std::size_t digits, const RegionalSettings& region) {
    if (digits > 2) {
        return year;  // three or four digits are taken as written
    }
    const int century = region.twoDigitYearMax / 100 * 100;
    const int expanded = century + year;
    return expanded > region.twoDigitYearMax ? expanded - 100 : expanded;
}

// Date part: d.m.yy(yy) in the region's order, or ISO yyyy-mm-dd.
bool ParseDatePart(std::string_view text, std::size_t& pos, const RegionalSettings& region,
                   CivilDateTime& dt) {
    int first = 0;
    std::size_t firstDigits = 0;
    if (!ReadNumber(text, pos, 4, first, firstDigits)) {
        return false;
    }
    std::size_t digits = 0;
    if (firstDigits == 4 && Expect(text, pos, '-')) {
        dt.year = first;
        return ReadNumber(text, pos, 2, dt.month, digits) && Expect(text, pos, '-') &&
               ReadNumber(text, pos, 2, dt.day, digits);
    }
    if (firstDigits > 2) {
        return false;
    }
    dt.day = first;
    if (!Expect(text, pos, region.dateSeparator) || !ReadNumber(text, pos, 2, dt.month, digits) ||
        !Expect(text, pos, region.dateSeparator) || !ReadNumber(text, pos, 4, dt.year, digits)) {
        return false;
    }
    dt.year = ExpandYear(dt.year, digits, region);
    return true;
}

// Time part: h:mm or h:mm:ss.
bool ParseTimePart(std::string_view text, std::size_t& pos, CivilDateTime& dt) {
    std::size_t digits = 0;
    if (!ReadNumber(text, pos, 2, dt.hour, digits) || !Expect(text, pos, ':') ||
        !ReadNumber(text, pos, 2, dt.minute, digits)) {
        return false;
    }
    if (Expect(text, pos, ':') && !ReadNumber(text, pos, 2, dt.second, digits)) {
        return false;
    }
    return dt.hour <= 23 && dt.minute <= 59 && dt.second <= 59;
}

}  // namespace

const RegionalSettings& CurrentRegion() {
    static const RegionalSettings german;
    return german;
}

std::optional<double> ParseDate(std::string_view text, const RegionalSettings& region) {
    text = StripBlanks(text);
    CivilDateTime dt;
    std::size_t pos = 0;
    if (!ParseDatePart(text, pos, region, dt)) {
        return std::nullopt;
    }
    if (pos < text.size()) {
        if (!IsBlank(text[pos])) {
            return std::nullopt;
        }
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
        if (!ParseTimePart(text, pos, dt) || pos != text.size()) {
            return std::nullopt;
        }
    }
    if (!IsValidDate(dt.year, dt.month, dt.day)) {
        return std::nullopt;
    }
    return ToOleDate(dt);
}

bool IsZeroDate(double oleDate) {
    // Zero to the second, which is all a date field shows.
    return std::fabs(oleDate) < 0.5 / 86400.0;
}

std::optional<std::int16_t> ParseInt16(std::string_view text, const RegionalSettings& region) {
    text = StripBlanks(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Integer part: digits, with thousands separators accepted (not checked) after the first.
    constexpr long kLimit = 100000;  // anything beyond is out of range anyway
    long magnitude = 0;
    bool anyDigit = false;
    while (pos < text.size()) {
        const char c = text[pos];
        if (IsDigit(c)) {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > kLimit) {
                magnitude = kLimit;
            }
            anyDigit = true;
        } else if (c == region.thousandsSeparator && anyDigit && c != region.decimalSeparator) {
            // grouping is not checked: "1.2.3" is 123
        } else {
            break;
        }
        ++pos;
    }
    // Fraction: only its effect on rounding matters; exact halves go to the even neighbour.
    int firstFraction = -1;
    bool restNonZero = false;
    if (pos < text.size() && text[pos] == region.decimalSeparator) {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) {
            const int digit = text[pos] - '0';
            if (firstFraction < 0) {
                firstFraction = digit;
            } else if (digit != 0) {
                restNonZero = true;
            }
            anyDigit = true;
            ++pos;
        }
    }
    if (!anyDigit || pos != text.size()) {
        return std::nullopt;
    }
    if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || magnitude % 2 == 1))) {
        ++magnitude;
    }
    const long value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

double BasicVal(std::string_view text) {
    std::string packed;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    }
    std::string number;
    std::size_t i = 0;
    if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) number += packed[i++];
    const std::size_t digitsStart = number.size();
    while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++];
    if (i < packed.size() && packed[i] == '.') {
        number += packed[i++];
        while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++];
    }
    const std::string mantissa = number.substr(digitsStart);
    if (mantissa.empty() || mantissa == ".") return 0.0;
    if (i < packed.size() &&
        (packed[i] == 'e' || packed[i] == 'E' || packed[i] == 'd' || packed[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < packed.size() && (packed[j] == '+' || packed[j] == '-')) exponent += packed[j++];
        const std::size_t expDigits = exponent.size();
        while (j < packed.size() && packed[j] >= '0' && packed[j] <= '9') exponent += packed[j++];
        if (exponent.size() > expDigits) number += exponent;
    }
    // from_chars, unlike strtod, ignores the process locale (a German one wants a comma).
    if (number.front() == '+') number.erase(0, 1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as 0, too large as a value no integer holds.
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return value;
}

std::string FormatShortDate(double oleDate, const RegionalSettings& region) {
    // A stored value no date can have is shown as no date, not as the zero date.
    if (!IsOleDateInRange(oleDate)) {
        return {};
    }
    const CivilDateTime dt = FromOleDate(oleDate);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%04d", dt.day, region.dateSeparator, dt.month,
                  region.dateSeparator, dt.year);
    return buffer;
}

}  // namespace stripstock
