// Date parts, names, DateSerial TimeSerial DateValue TimeValue DateAdd DateDiff DatePart, the clock.
#include "vbs_test_support.h"

namespace lumetrix::vbs::testing {
namespace {

TEST(BuiltinDate, PartsOfADateAndTheEndsOfTheRange) {
  ExpectEvals({
      {"Year(#12/7/2026 3:04:05 PM#)", "Integer 2026"}, {"Month(#12/7/2026 3:04:05 PM#)", "Integer 12"},
      {"Day(#12/7/2026 3:04:05 PM#)", "Integer 7"}, {"Hour(#12/7/2026 3:04:05 PM#)", "Integer 15"},
      {"Minute(#12/7/2026 3:04:05 PM#)", "Integer 4"}, {"Second(#12/7/2026 3:04:05 PM#)", "Integer 5"},
      {"Year(\"2026-12-07\")", "Integer 2026"}, {"Month(45000)", "Integer 3"}, {"Hour(0.75)", "Integer 18"},
      {"Year(Null)", "Null"}, {"Hour(Null)", "Null"}, {"Year(\"abc\")", "error 13"}, {"Year(1E+10)", "error 6"},
      {"Year()", "error 450"}, {"Year(#1/1/100#)", "Integer 100"}, {"Weekday(#1/1/100#)", "Integer 6"},
      {"Day(#12/31/9999#)", "Integer 31"}, {"Weekday(#12/31/9999#)", "Integer 6"},
      {"Second(#12/31/9999 11:59:59 PM#)", "Integer 59"}, {"CDbl(#1/1/100#)", "Double -657434"},
      {"CDbl(#12/31/9999#)", "Double 2958465"}, {"Year(-657435)", "error 6"}, {"Year(2958466)", "error 6"},
      {"Hour(#12/29/1899 6:00:00 AM#)", "Integer 6"},  // before day 0 the time still counts forward
      // Long texts are no dates (and take no time to refuse).
      {"IsDate(String(20000000, \"1\") & \"/1/2000\")", "Boolean False"},
      {"IsDate(Replace(Space(10000000), \" \", \"1 \"))", "Boolean False"},
      {"CDate(Replace(Space(10000000), \" \", \"1 \"))", "error 13"},
      {"IsDate(Space(100) & \"12/7/2026\" & Space(100))", "Boolean True"},
  });
}

TEST(BuiltinDate, WeekdayAndNames) {
  ExpectEvals({
      {"Weekday(#12/7/2026#)", "Integer 2"}, {"Weekday(#12/7/2026#, vbMonday)", "Integer 1"},
      {"Weekday(#12/6/2026#, vbMonday)", "Integer 7"}, {"Weekday(#12/7/2026#, 0)", "Integer 2"},
      {"Weekday(#12/7/2026#, 8)", "error 5"}, {"Weekday(Null)", "Null"}, {"WeekdayName(1)", "String Sunday"},
      {"WeekdayName(7, True)", "String Sat"}, {"WeekdayName(1, False, vbMonday)", "String Monday"},
      {"WeekdayName(7, False, vbMonday)", "String Sunday"}, {"WeekdayName(Weekday(#12/7/2026#))", "String Monday"},
      {"WeekdayName(0)", "error 5"}, {"WeekdayName(8)", "error 5"}, {"WeekdayName(1, False, 8)", "error 5"},
      {"MonthName(1)", "String January"}, {"MonthName(12, True)", "String Dec"},
      {"MonthName(9, False)", "String September"}, {"MonthName(0)", "error 5"}, {"MonthName(13)", "error 5"},
      {"MonthName(Null)", "error 94"},
  });
}

TEST(BuiltinDate, SerialsRollOverAndValuesParse) {
  ExpectEvals({
      {"DateSerial(2026, 12, 7)", "Date 12/7/2026"}, {"DateSerial(2026, 14, 1)", "Date 2/1/2027"},
      {"DateSerial(2026, 1, 0)", "Date 12/31/2025"}, {"DateSerial(2026, 3, -1)", "Date 2/27/2026"},
      {"DateSerial(2026, 0, 1)", "Date 12/1/2025"}, {"DateSerial(2000, 2, 29)", "Date 2/29/2000"},
      {"DateSerial(2001, 2, 29)", "Date 3/1/2001"}, {"DateSerial(99, 1, 1)", "Date 1/1/1999"},
      {"DateSerial(29, 1, 1)", "Date 1/1/2029"}, {"DateSerial(30, 1, 1)", "Date 1/1/1930"},
      {"DateSerial(100, 1, 1)", "Date 1/1/100"}, {"DateSerial(9999, 12, 31)", "Date 12/31/9999"},
      {"DateSerial(10000, 1, 1)", "error 5"}, {"DateSerial(100, 1, 0)", "error 5"},
      {"DateSerial(2026, 1, 2147483647)", "error 5"}, {"DateSerial(-2147483648, -2147483648, -2147483648)", "error 5"},
      {"DateSerial(2026, Null, 1)", "error 94"}, {"DateSerial(\"x\", 1, 1)", "error 13"},
      {"TimeSerial(15, 4, 5)", "Date 3:04:05 PM"}, {"TimeSerial(0, 0, 0)", "Date 12:00:00 AM"},
      {"TimeSerial(12 - 6, -15, 0)", "Date 5:45:00 AM"}, {"TimeSerial(0, 75, 0)", "Date 1:15:00 AM"},
      {"TimeSerial(25, 0, 0)", "Date 12/31/1899 1:00:00 AM"}, {"TimeSerial(2147483647, 0, 0)", "error 5"},
      {"Hour(TimeSerial(0, -1, 0)) & \":\" & Minute(TimeSerial(0, -1, 0))", "String 23:59"},
      {"DateValue(\"December 7, 2026 3:04 PM\")", "Date 12/7/2026"},
      {"DateValue(#12/7/2026 3:04:05 PM#)", "Date 12/7/2026"}, {"TimeValue(\"3:04 PM\")", "Date 3:04:00 PM"},
      {"TimeValue(\"15:04:05\")", "Date 3:04:05 PM"}, {"TimeValue(#12/7/2026 3:04:05 PM#)", "Date 3:04:05 PM"},
      {"DateValue(\"abc\")", "error 13"}, {"TimeValue(\"25:00\")", "error 13"}, {"DateValue(Null)", "Null"},
  });
}

TEST(BuiltinDate, DateAddKeepsMonthEndsAndTheRange) {
  ExpectEvals({
      {"DateAdd(\"m\", 1, #1/31/2000#)", "Date 2/29/2000"}, {"DateAdd(\"m\", 1, #1/31/2001#)", "Date 2/28/2001"},
      {"DateAdd(\"m\", -13, #3/15/2026#)", "Date 2/15/2025"}, {"DateAdd(\"yyyy\", 1, #2/29/2000#)", "Date 2/28/2001"},
      {"DateAdd(\"q\", 1, #11/30/2026#)", "Date 2/28/2027"}, {"DateAdd(\"d\", 1, #12/31/2026#)", "Date 1/1/2027"},
      {"DateAdd(\"y\", 1, #12/31/2026#)", "Date 1/1/2027"}, {"DateAdd(\"w\", 1, #12/31/2026#)", "Date 1/1/2027"},
      {"DateAdd(\"ww\", 2, #12/7/2026#)", "Date 12/21/2026"},
      {"DateAdd(\"h\", 25, #12/7/2026#)", "Date 12/8/2026 1:00:00 AM"},
      {"DateAdd(\"n\", -1, #12/7/2026#)", "Date 12/6/2026 11:59:00 PM"},
      {"DateAdd(\"s\", 86400, #12/7/2026#)", "Date 12/8/2026"},
      {"DateAdd(\"m\", 1, #1/31/2000 10:30:00 AM#)", "Date 2/29/2000 10:30:00 AM"},
      {"DateAdd(\"D\", 1, \"12/7/2026\")", "Date 12/8/2026"},
      {"DateAdd(\"h\", 1, #12/29/1899 11:00:00 PM#)", "Date 12:00:00 AM"},
      {"DateAdd(\"h\", -1, #12/30/1899 1:00:00 AM#)", "Date 12:00:00 AM"},
      {"DateAdd(\"n\", 90, #12/29/1899 11:00:00 PM#)", "Date 12:30:00 AM"},
      {"DateAdd(\"d\", 1.5, #12/7/2026#)", "Date 12/9/2026"},  // rounded half to even
      {"DateAdd(\"q\", Null, #12/7/2026#)", "error 94"}, {"DateAdd(\"d\", 1, Null)", "Null"},
      {"DateAdd(\"d\", -1, #1/1/100#)", "error 5"}, {"DateAdd(\"s\", 1, #12/31/9999 11:59:59 PM#)", "error 5"},
      {"DateAdd(\"yyyy\", 1, #12/31/9999#)", "error 5"}, {"DateAdd(\"m\", -1, #1/15/100#)", "error 5"},
      {"DateAdd(\"n\", 1E+300, #12/7/2026#)", "error 5"}, {"DateAdd(\"m\", 2147483647, #12/7/2026#)", "error 5"},
      {"DateAdd(\"x\", 1, #12/7/2026#)", "error 5"}, {"DateAdd(\"\", 1, #12/7/2026#)", "error 5"},
      {"DateAdd(\"d\", \"x\", #12/7/2026#)", "error 13"}, {"DateAdd(\"d\", 1, \"abc\")", "error 13"},
      {"DateAdd(Null, 1, #12/7/2026#)", "error 94"},
  });
}

TEST(BuiltinDate, DateDiffCountsBoundaries) {
  ExpectEvals({
      {"DateDiff(\"d\", #1/1/2000#, #3/1/2000#)", "Long 60"}, {"DateDiff(\"d\", #3/1/2000#, #1/1/2000#)", "Long -60"},
      {"DateDiff(\"d\", #12/7/2026 11:59:00 PM#, #12/8/2026 12:01:00 AM#)", "Long 1"},
      {"DateDiff(\"yyyy\", #12/31/2025#, #1/1/2026#)", "Long 1"}, {"DateDiff(\"q\", #3/31/2026#, #4/1/2026#)", "Long 1"},
      {"DateDiff(\"m\", #1/31/2026#, #2/1/2026#)", "Long 1"},
      {"DateDiff(\"h\", #12/7/2026 10:59:00 AM#, #12/7/2026 11:00:00 AM#)", "Long 1"},
      {"DateDiff(\"n\", #12/7/2026 10:59:59 AM#, #12/7/2026 11:00:00 AM#)", "Long 1"},
      {"DateDiff(\"s\", #1/1/2000#, #1/2/2000#)", "Long 86400"}, {"DateDiff(\"w\", #12/1/2026#, #12/15/2026#)", "Long 2"},
      {"DateDiff(\"w\", #12/1/2026#, #12/14/2026#)", "Long 1"},
      {"DateDiff(\"ww\", #12/5/2026#, #12/6/2026#)", "Long 1"},  // a Saturday, then Sunday
      {"DateDiff(\"ww\", #12/6/2026#, #12/12/2026#)", "Long 0"},
      {"DateDiff(\"ww\", #12/6/2026#, #12/7/2026#, vbMonday)", "Long 1"},
      {"DateDiff(\"h\", #12/29/1899 11:00:00 PM#, #12/30/1899 1:00:00 AM#)", "Long 2"},
      {"DateDiff(\"yyyy\", #1/1/100#, #12/31/9999#)", "Long 9899"},
      {"DateDiff(\"d\", #1/1/100#, #12/31/9999#)", "Long 3615899"}, {"DateDiff(\"s\", #1/1/1900#, #1/1/2000#)", "error 6"},
      {"DateDiff(\"d\", Null, #1/1/2000#)", "Null"}, {"DateDiff(\"z\", #1/1/2000#, #1/1/2000#)", "error 5"},
      {"DateDiff(\"d\", #1/1/2000#, #1/1/2000#, 9)", "error 5"},
      {"DateDiff(\"d\", #1/1/2000#, #1/1/2000#, 1, 4)", "error 5"},
  });
}

TEST(BuiltinDate, DatePartCountsWeeksFromTheFirstWeekOfTheYear) {
  ExpectEvals({
      {"DatePart(\"yyyy\", #12/7/2026#)", "Integer 2026"}, {"DatePart(\"q\", #12/7/2026#)", "Integer 4"},
      {"DatePart(\"q\", #3/31/2026#)", "Integer 1"}, {"DatePart(\"m\", #12/7/2026#)", "Integer 12"},
      {"DatePart(\"y\", #12/31/2024#)", "Integer 366"}, {"DatePart(\"y\", #1/1/2026#)", "Integer 1"},
      {"DatePart(\"d\", #12/7/2026#)", "Integer 7"}, {"DatePart(\"w\", #12/7/2026#)", "Integer 2"},
      {"DatePart(\"w\", #12/7/2026#, vbMonday)", "Integer 1"}, {"DatePart(\"ww\", #1/1/2026#)", "Integer 1"},
      {"DatePart(\"ww\", #1/4/2026#)", "Integer 2"},  // the first Sunday starts week 2
      {"DatePart(\"ww\", #12/31/2026#)", "Integer 53"},
      {"DatePart(\"ww\", #1/1/2026#, vbSunday, vbFirstFullWeek)", "Integer 52"},
      {"DatePart(\"ww\", #1/1/2026#, vbMonday, vbFirstFourDays)", "Integer 1"},
      {"DatePart(\"ww\", #12/31/2026#, vbMonday, vbFirstFourDays)", "Integer 53"},
      {"DatePart(\"ww\", #1/1/100#)", "Integer 1"}, {"DatePart(\"ww\", #1/1/100#, vbSunday, vbFirstFullWeek)", "Integer 52"},
      {"DatePart(\"h\", #3:04:05 PM#)", "Integer 15"}, {"DatePart(\"n\", #3:04:05 PM#)", "Integer 4"},
      {"DatePart(\"s\", #3:04:05 PM#)", "Integer 5"}, {"DatePart(\"x\", #3:04:05 PM#)", "error 5"},
      {"DatePart(\"d\", Null)", "Null"},
  });
}

TEST(BuiltinDate, ClockFunctionsReadOneClock) {
  ExpectEvals({
      {"TypeName(Now) & TypeName(Date) & TypeName(Time) & TypeName(Timer)", "String DateDateDateSingle"},
      {"TypeName(DateDiff(\"d\", Now, Now))", "String Long"}, {"Date = Int(Date)", "Boolean True"},
      {"Time < 1 And Time >= 0", "Boolean True"}, {"Timer >= 0 And Timer < 86400", "Boolean True"},
      {"Year(Now) >= 2024", "Boolean True"}, {"Now(1)", "error 450"}, {"Timer(1)", "error 450"},
  });
  // Now lies between two readings of Timer (Now has whole seconds; a midnight between the
  // readings is allowed for), however long the script is held up between them.
  ExpectScripts({
      {"t1 = Timer : d = Date : n = Now : t2 = Timer\ns = Hour(n) * 3600 + Minute(n) * 60 + Second(n)\n"
       "Result = t2 < t1 Or (s >= Int(t1) - 1 And s <= t2 And Int(n) = d)",
       "Boolean True"},
  });
}

}  // namespace
}  // namespace lumetrix::vbs::testing
