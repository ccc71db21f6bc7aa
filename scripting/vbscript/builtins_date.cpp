// Now Date Time Timer Year Month Day Hour Minute Second Weekday WeekdayName MonthName DateAdd
// DateDiff DatePart DateSerial TimeSerial DateValue TimeValue.
#include <cmath>

#include "builtins_args.h"
#include "convert.h"
#include "date_time.h"

namespace lumetrix::vbs {

namespace {

using namespace bi;

constexpr int64_t kDaySeconds = 86400;

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// A date serial as seconds on a straight time line (serials before 1899 count their time of day
// forward from midnight, so they are not linear).
int64_t ToSeconds(double serial) {
  double day = std::trunc(serial);
  int64_t secs = std::llround(std::fabs(serial - day) * 86400.0);
  return static_cast<int64_t>(day) * kDaySeconds + secs;
}

double FromSeconds(int64_t s) {
  int64_t day = FloorDiv(s, kDaySeconds);
  return JoinDateTime(static_cast<double>(day), static_cast<double>(s - day * kDaySeconds) / 86400.0);
}

// Day number of 1 January of `year` (years below 100 are not read as two-digit years).
int64_t Jan1(int year) {
  if (year >= 100) return static_cast<int64_t>(DaySerial(year, 1, 1));
  return static_cast<int64_t>(DaySerial(int64_t{year} + 400, 1, 1)) - 146097;  // 400 years earlier
}

int64_t DayNumber(double serial) { return FloorDiv(ToSeconds(serial), kDaySeconds); }

double TimeOfDay(double serial) { return std::fabs(serial - std::trunc(serial)); }

Variant CheckedDate(double serial) {
  if (!IsValidDate(serial)) ThrowError(err::InvalidCall);
  return Variant::Date(serial);
}

double DateArg(const Variant& v) { return ToDate(NotNull(v)); }

// First day of the week argument: 0 (the system's, Sunday here) or 1..7.
int FirstDayArg(const Variant* args, int nargs, int i) {
  int32_t f = OptionalLong(args, nargs, i, 1);
  if (f < 0 || f > 7) ThrowError(err::InvalidCall);
  return f == 0 ? 1 : f;
}

int FirstWeekArg(const Variant* args, int nargs, int i) {
  int32_t f = OptionalLong(args, nargs, i, 1);
  if (f < 0 || f > 3) ThrowError(err::InvalidCall);
  return f == 0 ? 1 : f;
}

void Now(Interpreter&, Variant*, int, Variant& result) { result = Variant::Date(NowSerial()); }
void DateNow(Interpreter&, Variant*, int, Variant& result) { result = Variant::Date(std::trunc(NowSerial())); }
void TimeNow(Interpreter&, Variant*, int, Variant& result) { result = Variant::Date(TimeOfDay(NowSerial())); }
void Timer(Interpreter&, Variant*, int, Variant& result) {
  result = Variant(static_cast<float>(SecondsSinceMidnight()));
}

// One part of a date argument; Null gives Null.
template <typename F>
void DatePartOf(const Variant& arg, Variant& result, F part) {
  if (arg.deref().isNull()) {
    result = Variant::Null();
    return;
  }
  result = Variant::Integer(part(SplitDate(DateArg(arg))));
}

void Year(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.year; });
}
void Month(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.month; });
}
void Day(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.day; });
}
void Hour(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.hour; });
}
void Minute(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.minute; });
}
void Second(Interpreter&, Variant* args, int, Variant& result) {
  DatePartOf(args[0], result, [](const DateParts& p) { return p.second; });
}

int RelativeWeekday(int weekday, int firstDay) { return (weekday - firstDay + 7) % 7 + 1; }

void Weekday(Interpreter&, Variant* args, int nargs, Variant& result) {
  int first = FirstDayArg(args, nargs, 1);
  DatePartOf(args[0], result, [first](const DateParts& p) { return RelativeWeekday(p.weekday, first); });
}

void WeekdayName(Interpreter&, Variant* args, int nargs, Variant& result) {
  int32_t w = LongArg(args[0]);
  bool abbreviate = Given(args, nargs, 1) && ToBool(NotNull(args[1]));
  int first = FirstDayArg(args, nargs, 2);
  if (w < 1 || w > 7) ThrowError(err::InvalidCall);
  result = Variant(WeekdayNameOf((w - 1 + first - 1) % 7 + 1, abbreviate));
}

void MonthName(Interpreter&, Variant* args, int nargs, Variant& result) {
  bool abbreviate = Given(args, nargs, 1) && ToBool(NotNull(args[1]));  // its Null wins over the month's type
  int32_t m = LongArg(args[0]);
  if (m < 1 || m > 12) ThrowError(err::InvalidCall);
  result = Variant(MonthNameOf(m, abbreviate));
}

void DateSerial(Interpreter&, Variant* args, int, Variant& result) {
  int32_t y = LongArg(args[0]), m = LongArg(args[1]), d = LongArg(args[2]);
  result = CheckedDate(DaySerial(y, m, d));
}

void TimeSerial(Interpreter&, Variant* args, int, Variant& result) {
  int32_t h = LongArg(args[0]), m = LongArg(args[1]), s = LongArg(args[2]);
  int64_t total = int64_t{h} * 3600 + int64_t{m} * 60 + s;
  result = CheckedDate(FromSeconds(total));
}

void DateValue(Interpreter&, Variant* args, int, Variant& result) {
  if (args[0].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  result = Variant::Date(std::trunc(DateArg(args[0])));
}

void TimeValue(Interpreter&, Variant* args, int, Variant& result) {
  if (args[0].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  result = Variant::Date(TimeOfDay(DateArg(args[0])));
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval IntervalArg(const Variant& v) {
  ustring s = ToLower(StringArg(v));
  if (s == u"yyyy") return Interval::Year;
  if (s == u"q") return Interval::Quarter;
  if (s == u"m") return Interval::Month;
  if (s == u"y") return Interval::DayOfYear;
  if (s == u"d") return Interval::Day;
  if (s == u"w") return Interval::Weekday;
  if (s == u"ww") return Interval::Week;
  if (s == u"h") return Interval::Hour;
  if (s == u"n") return Interval::Minute;
  if (s == u"s") return Interval::Second;
  ThrowError(err::InvalidCall);
}

// DateAdd(interval, number, date)
void DateAdd(Interpreter&, Variant* args, int, Variant& result) {
  Interval iv = IntervalArg(args[0]);
  if (args[1].deref().isNull()) ThrowError(err::InvalidUseOfNull);  // a Null count fails, a Null date gives Null
  if (args[2].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  double amount = std::nearbyint(NumericValue(Plain(args[1])));
  double date = DateArg(args[2]);
  // Anything larger leaves the date range whatever the interval.
  if (!(std::fabs(amount) < 1e12)) ThrowError(err::InvalidCall);
  int64_t n = static_cast<int64_t>(amount);
  if (iv == Interval::Year || iv == Interval::Quarter || iv == Interval::Month) {
    int64_t months = iv == Interval::Year ? n * 12 : iv == Interval::Quarter ? n * 3 : n;
    DateParts p = SplitDate(date);
    int64_t total = int64_t{p.year} * 12 + (p.month - 1) + months;
    int64_t y = FloorDiv(total, 12);
    int m = static_cast<int>(total - y * 12) + 1;
    if (y < 100 || y > 9999) ThrowError(err::InvalidCall);
    int d = std::min(p.day, DaysInMonth(static_cast<int>(y), m));
    result = CheckedDate(JoinDateTime(DaySerial(y, m, d), TimeOfDay(date)));
    return;
  }
  int64_t unit = iv == Interval::Week ? 7 * kDaySeconds
                 : iv == Interval::Hour ? 3600
                 : iv == Interval::Minute ? 60
                 : iv == Interval::Second ? 1
                                          : kDaySeconds;
  if (std::fabs(amount) * static_cast<double>(unit) > 1e12) ThrowError(err::InvalidCall);
  result = CheckedDate(FromSeconds(ToSeconds(date) + n * unit));
}

int64_t WeekStartsBetween(int64_t day1, int64_t day2, int firstDay) {
  // Day number `firstDay` (1 = 31 December 1899, a Sunday) falls on that weekday.
  return FloorDiv(day2 - firstDay, 7) - FloorDiv(day1 - firstDay, 7);
}

// DateDiff(interval, date1, date2[, firstdayofweek[, firstweekofyear]])
void DateDiff(Interpreter&, Variant* args, int nargs, Variant& result) {
  Interval iv = IntervalArg(args[0]);
  int first = FirstDayArg(args, nargs, 3);
  FirstWeekArg(args, nargs, 4);
  if (args[1].deref().isNull() || args[2].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  double a = DateArg(args[1]), b = DateArg(args[2]);
  DateParts pa = SplitDate(a), pb = SplitDate(b);
  int64_t sa = ToSeconds(a), sb = ToSeconds(b);
  int64_t r = 0;
  switch (iv) {
    case Interval::Year: r = pb.year - pa.year; break;
    case Interval::Quarter: r = (pb.year * 4 + (pb.month - 1) / 3) - (pa.year * 4 + (pa.month - 1) / 3); break;
    case Interval::Month: r = (pb.year * 12 + pb.month) - (pa.year * 12 + pa.month); break;
    case Interval::DayOfYear: case Interval::Day: r = DayNumber(b) - DayNumber(a); break;
    case Interval::Weekday: r = (DayNumber(b) - DayNumber(a)) / 7; break;
    case Interval::Week: r = WeekStartsBetween(DayNumber(a), DayNumber(b), first); break;
    case Interval::Hour: r = FloorDiv(sb, 3600) - FloorDiv(sa, 3600); break;
    case Interval::Minute: r = FloorDiv(sb, 60) - FloorDiv(sa, 60); break;
    case Interval::Second: r = sb - sa; break;
  }
  if (r < INT32_MIN || r > INT32_MAX) ThrowError(err::Overflow);
  result = Variant(static_cast<int32_t>(r));
}

// Week of the year of day number `day`, the weeks starting on `firstDay`.
int WeekOfYear(int64_t day, int year, int firstDay, int firstWeek) {
  for (int guard = 0; guard < 2; ++guard) {
    int64_t jan1 = Jan1(year);
    int64_t start = jan1 - ((jan1 - firstDay) % 7 + 7) % 7;  // start of the week holding 1 January
    if (firstWeek == 3 && start != jan1) start += 7;         // the first full week
    if (firstWeek == 2 && jan1 - start >= 4) start += 7;     // the first week with four days
    if (day >= start) return static_cast<int>((day - start) / 7 + 1);
    --year;  // the days before week 1 belong to the last week of the year before
  }
  return 1;
}

// DatePart(interval, date[, firstdayofweek[, firstweekofyear]])
void DatePart(Interpreter&, Variant* args, int nargs, Variant& result) {
  Interval iv = IntervalArg(args[0]);
  int first = FirstDayArg(args, nargs, 2);
  int firstWeek = FirstWeekArg(args, nargs, 3);
  if (args[1].deref().isNull()) {
    result = Variant::Null();
    return;
  }
  double d = DateArg(args[1]);
  DateParts p = SplitDate(d);
  int r = 0;
  switch (iv) {
    case Interval::Year: r = p.year; break;
    case Interval::Quarter: r = (p.month - 1) / 3 + 1; break;
    case Interval::Month: r = p.month; break;
    case Interval::DayOfYear: r = static_cast<int>(DayNumber(d) - Jan1(p.year)) + 1; break;
    case Interval::Day: r = p.day; break;
    case Interval::Weekday: r = RelativeWeekday(p.weekday, first); break;
    case Interval::Week: r = WeekOfYear(DayNumber(d), p.year, first, firstWeek); break;
    case Interval::Hour: r = p.hour; break;
    case Interval::Minute: r = p.minute; break;
    case Interval::Second: r = p.second; break;
  }
  result = Variant::Integer(r);
}

}  // namespace

void AddDateBuiltins(std::vector<Builtin>& out) {
  out.insert(out.end(), {
                            {"Date", 0, 0, Named<"Date", DateNow>},
                            {"DateAdd", 3, 3, Named<"DateAdd", DateAdd>},
                            {"DateDiff", 3, 5, Named<"DateDiff", DateDiff>},
                            {"DatePart", 2, 4, Named<"DatePart", DatePart>},
                            {"DateSerial", 3, 3, Named<"DateSerial", DateSerial>},
                            {"DateValue", 1, 1, Named<"DateValue", DateValue>},
                            {"Day", 1, 1, Named<"Day", Day>},
                            {"Hour", 1, 1, Named<"Hour", Hour>},
                            {"Minute", 1, 1, Named<"Minute", Minute>},
                            {"Month", 1, 1, Named<"Month", Month>},
                            {"MonthName", 1, 2, Named<"MonthName", MonthName>},
                            {"Now", 0, 0, Named<"Now", Now>},
                            {"Second", 1, 1, Named<"Second", Second>},
                            {"Time", 0, 0, Named<"Time", TimeNow>},
                            {"Timer", 0, 0, Named<"Timer", Timer>},
                            {"TimeSerial", 3, 3, Named<"TimeSerial", TimeSerial>},
                            {"TimeValue", 1, 1, Named<"TimeValue", TimeValue>},
                            {"Weekday", 1, 2, Named<"Weekday", Weekday>},
                            {"WeekdayName", 1, 3, Named<"WeekdayName", WeekdayName>},
                            {"Year", 1, 1, Named<"Year", Year>},
                        });
}

}  // namespace lumetrix::vbs
