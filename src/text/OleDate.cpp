#include "text/OleDate.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace stripstock {

namespace {

// Days from 1970-01-01 to 1899-12-30 (the OLE zero day), negated.
constexpr long long kOleEpochOffset = 25569;

// OLE dates outside 1.1.100 .. 31.12.9999 are not dates.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;

constexpr double kSecondsPerDay = 86400.0;

// Proleptic Gregorian calendar, days relative to 1970-01-01 (H. Hinnant's algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = month == 2 && IsLeapYear(year) ? 29 : kDaysInMonth[month - 1];
    return day <= last;
}

double ToOleDate(const CivilDateTime& dt) {
    const long long days =
        DaysFromCivil(dt.year, static_cast<unsigned>(dt.month), static_cast<unsigned>(dt.day)) +
        kOleEpochOffset;
    const double time = (dt.hour * 3600.0 + dt.minute * 60.0 + dt.second) / kSecondsPerDay;
    // Before the zero day the sign belongs to the day count; the time still counts forward.
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

CivilDateTime FromOleDate(double oleDate) {
    if (!IsOleDateInRange(oleDate)) {
        return {};
    }
    long long days = static_cast<long long>(std::trunc(oleDate));
    const double fraction = std::fabs(oleDate - static_cast<double>(days));
    long long seconds = std::llround(fraction * kSecondsPerDay);
    if (seconds >= static_cast<long long>(kSecondsPerDay)) {
        // Rounded up to midnight: that is the start of the following calendar day.
        seconds = 0;
        ++days;
    }
    CivilDateTime result;
    CivilFromDays(days - kOleEpochOffset, result.year, result.month, result.day);
    result.hour = static_cast<int>(seconds / 3600);
    result.minute = static_cast<int>(seconds / 60 % 60);
    result.second = static_cast<int>(seconds % 60);
    return result;
}

bool IsOleDateInRange(double oleDate) {
    // Before the zero day the fraction counts forward, so all of 1.1.100 lies above -657435.
    return std::isfinite(oleDate) && oleDate > kMinOleDate - 1.0 && oleDate < kMaxOleDate;
}

double OleDateOnly(double oleDate) {
    CivilDateTime dt = FromOleDate(oleDate);
    dt.hour = 0;
    dt.minute = 0;
    dt.second = 0;
    return ToOleDate(dt);
}

double LocalNowAsOleDate() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return ToOleDate(CivilDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                   local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace stripstock
