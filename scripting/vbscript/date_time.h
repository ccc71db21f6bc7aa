#pragma once
// VBScript dates: a double counting days from 30 December 1899, the fraction being the time of
// day (for dates before the epoch the fraction still counts forward from midnight).
#include <cstdint>

#include "text.h"

namespace lumetrix::vbs {

struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int weekday = 7;  // 1 = Sunday
};

constexpr double kMinDate = -657434.0;        // 1 January 100
constexpr double kMaxDate = 2958465.99999999;  // 31 December 9999, 23:59:59

// Day number of a calendar date; months and days outside their ranges roll over as in DateSerial.
double DaySerial(int64_t year, int64_t month, int64_t day);
double TimeFraction(int64_t hour, int64_t minute, int64_t second);  // may exceed one day
// Joins a day number and a time of day fraction the VBScript way.
double JoinDateTime(double day, double time);
DateParts SplitDate(double serial);
bool IsValidDate(double serial);
int DaysInMonth(int year, int month);

// Now as a serial in local time, and seconds since local midnight.
double NowSerial();
double SecondsSinceMidnight();

// 0 general, 1 long date, 2 short date, 3 long time, 4 short time (US English names and order).
ustring FormatDate(double serial, int namedFormat = 0);
ustring MonthNameOf(int month, bool abbreviate);
ustring WeekdayNameOf(int weekday, bool abbreviate);  // 1 = Sunday
// Parses the date and time forms VBScript accepts ("12/7/2026", "2026-12-07", "7 Dec 2026",
// "December 7, 2026 3:04 PM", "15:04:05", ...).
bool ParseDate(ustring_view text, double& serial);

}  // namespace lumetrix::vbs
