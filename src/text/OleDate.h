#pragma once

namespace stripstock {

// A calendar date and time of day, as typed or shown.
struct CivilDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool IsValidDate(int year, int month, int day);

// OLE Automation date: days since 30.12.1899 00:00, the fraction being the time of day
// (for days before that, the fraction still counts forward within the day).
double ToOleDate(const CivilDateTime& dt);
CivilDateTime FromOleDate(double oleDate);

// True for a finite OLE date within 1.1.100 00:00 .. 31.12.9999 23:59:59.
bool IsOleDateInRange(double oleDate);

// The whole-day part as an OLE date (time dropped).
double OleDateOnly(double oleDate);

// The current local date and time, to the second.
double LocalNowAsOleDate();

}  // namespace stripstock
