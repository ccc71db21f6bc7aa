#include "date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

namespace lumetrix::vbs {

namespace {

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

}  // namespace

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return days[(month - 1) % 12];
}

double DaySerial(int64_t year, int64_t month, int64_t day) {
  // Two-digit years mean 1930..2029 as in VBScript.
  if (year >= 0 && year < 30) year += 2000;
  else if (year >= 30 && year < 100) year += 1900;
  int64_t m0 = month - 1;
  year += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  m0 = ((m0 % 12) + 12) % 12;
  return static_cast<double>(DaysFromCivil(year, m0 + 1, 1) - kEpochDays + (day - 1));
}

double TimeFraction(int64_t hour, int64_t minute, int64_t second) {
  return static_cast<double>(hour * 3600 + minute * 60 + second) / 86400.0;
}

double JoinDateTime(double day, double time) {
  // A time beyond one day moves the day; the fraction then counts away from zero for negatives.
  double whole = std::floor(time);
  day += whole;
  time -= whole;
  return day >= 0 ? day + time : day - time;
}

bool IsValidDate(double serial) { return std::isfinite(serial) && serial >= kMinDate && serial <= kMaxDate + 1e-9; }

DateParts SplitDate(double serial) {
  DateParts p;
  if (!std::isfinite(serial)) return p;
  double day = std::trunc(serial);
  double frac = std::fabs(serial - day);
  int64_t secs = static_cast<int64_t>(std::llround(frac * 86400.0));
  if (secs >= 86400) {
    secs -= 86400;
    day += serial >= 0 ? 1 : -1;
  }
  int64_t dayNumber = static_cast<int64_t>(day);
  CivilFromDays(dayNumber + kEpochDays, p.year, p.month, p.day);
  p.hour = static_cast<int>(secs / 3600);
  p.minute = static_cast<int>(secs / 60 % 60);
  p.second = static_cast<int>(secs % 60);
  p.weekday = static_cast<int>(((dayNumber % 7) + 7 + 6) % 7) + 1;
  return p;
}

double NowSerial() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return JoinDateTime(DaySerial(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                      TimeFraction(tm.tm_hour, tm.tm_min, tm.tm_sec));
}

double SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + static_cast<double>(ms) / 1000.0;
}

ustring MonthNameOf(int month, bool abbreviate) {
  std::string s = kMonths[(month - 1) % 12];
  if (abbreviate) s.resize(3);
  return FromAscii(s);
}

ustring WeekdayNameOf(int weekday, bool abbreviate) {
  std::string s = kDays[(weekday - 1) % 7];
  if (abbreviate) s.resize(3);
  return FromAscii(s);
}

ustring FormatDate(double serial, int namedFormat) {
  DateParts p = SplitDate(serial);
  auto two = [](int v) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + (v / 10) % 10);
    s[1] = static_cast<char>('0' + v % 10);
    return s;
  };
  std::string date = std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
  int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  std::string time =
      std::to_string(h12) + ":" + two(p.minute) + ":" + two(p.second) + (p.hour < 12 ? " AM" : " PM");
  double day = std::trunc(serial);
  bool hasTime = std::fabs(serial - day) * 86400.0 >= 0.5;
  switch (namedFormat) {
    case 1:
      return FromAscii(std::string(kDays[p.weekday - 1]) + ", " + kMonths[p.month - 1] + " " +
                       std::to_string(p.day) + ", " + std::to_string(p.year));
    case 2:
      return FromAscii(date);
    case 3:
      return FromAscii(time);
    case 4:
      return FromAscii(two(p.hour) + ":" + two(p.minute));
    default:
      // Day 0 is "no date": only the time shows, even midnight ("12:00:00 AM").
      if (day == 0) return FromAscii(time);
      if (!hasTime) return FromAscii(date);
      return FromAscii(date + " " + time);
  }
}

namespace {

struct DateToken {
  enum Kind { Number, Word, Colon, Sep } kind;
  int64_t value = 0;
  int digits = 0;
  std::string word;
};

int MonthFromWord(const std::string& w) {
  if (w.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    std::string m = NameKey(kMonths[i]);
    if (m.compare(0, w.size(), w) == 0 || (w.size() >= 3 && w == m.substr(0, 3))) return i + 1;
  }
  if (w == "sept") return 9;
  return 0;
}

bool IsWeekdayWord(const std::string& w) {
  for (auto* d : kDays) {
    std::string k = NameKey(d);
    if (w.size() >= 3 && k.compare(0, w.size(), w) == 0) return true;
  }
  return false;
}

}  // namespace

bool ParseDate(ustring_view text, double& serial) {
  // No date is written in more than a few dozen characters; longer texts (hostile or not) are
  // refused before they are split into tokens.
  constexpr size_t kMaxDateText = 1024;
  if (text.size() > kMaxDateText) return false;
  std::vector<DateToken> toks;
  for (size_t i = 0; i < text.size();) {
    char16_t c = text[i];
    if (c == ' ' || c == '\t' || c == ',') {
      ++i;
      if (c == ',') toks.push_back({DateToken::Sep, 0, 0, ","});
      continue;
    }
    if (c >= '0' && c <= '9') {
      int64_t v = 0;
      int digits = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (digits < 9) v = v * 10 + (text[i] - '0');
        ++digits;
        ++i;
      }
      if (digits > 4) return false;
      toks.push_back({DateToken::Number, v, digits, {}});
      continue;
    }
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      std::string w;
      while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z'))) {
        w.push_back(static_cast<char>(text[i]));
        ++i;
      }
      if (i < text.size() && text[i] == '.') ++i;  // "Dec."
      toks.push_back({DateToken::Word, 0, 0, NameKey(w)});
      continue;
    }
    if (c == ':') {
      toks.push_back({DateToken::Colon, 0, 0, ":"});
      ++i;
      continue;
    }
    if (c == '/' || c == '-' || c == '.') {
      toks.push_back({DateToken::Sep, 0, 0, std::string(1, static_cast<char>(c))});
      ++i;
      continue;
    }
    return false;
  }
  if (toks.empty()) return false;

  // Time: number ':' number [':' number] [AM|PM], or number AM|PM.
  bool haveTime = false;
  int64_t hh = 0, mm = 0, ss = 0;
  std::vector<DateToken> rest;
  for (size_t i = 0; i < toks.size(); ++i) {
    const auto& t = toks[i];
    bool timeHere = t.kind == DateToken::Number && i + 2 < toks.size() + 1 &&
                    ((i + 1 < toks.size() && toks[i + 1].kind == DateToken::Colon) ||
                     (i + 1 < toks.size() && toks[i + 1].kind == DateToken::Word &&
                      (toks[i + 1].word == "am" || toks[i + 1].word == "pm" || toks[i + 1].word == "a" ||
                       toks[i + 1].word == "p")));
    if (!timeHere || haveTime) {
      rest.push_back(t);
      continue;
    }
    haveTime = true;
    hh = t.value;
    size_t j = i + 1;
    if (j < toks.size() && toks[j].kind == DateToken::Colon) {
      if (j + 1 >= toks.size() || toks[j + 1].kind != DateToken::Number) return false;
      mm = toks[j + 1].value;
      j += 2;
      if (j < toks.size() && toks[j].kind == DateToken::Colon) {
        if (j + 1 >= toks.size() || toks[j + 1].kind != DateToken::Number) return false;
        ss = toks[j + 1].value;
        j += 2;
      }
    }
    if (j < toks.size() && toks[j].kind == DateToken::Word) {
      const std::string& w = toks[j].word;
      if (w == "am" || w == "a" || w == "pm" || w == "p") {
        if (hh < 1 || hh > 12) return false;
        bool pm = w[0] == 'p';
        if (hh == 12) hh = 0;
        if (pm) hh += 12;
        ++j;
      }
    }
    if (hh > 23 || mm > 59 || ss > 59) return false;
    i = j - 1;
  }

  // Date: numbers and at most one month name; separators and weekday names ignored.
  std::vector<DateToken> nums;
  int monthName = 0;
  for (const auto& t : rest) {
    if (t.kind == DateToken::Number) {
      nums.push_back(t);
    } else if (t.kind == DateToken::Word) {
      int m = MonthFromWord(t.word);
      if (m && !monthName) monthName = m;
      else if (!IsWeekdayWord(t.word)) return false;
    } else if (t.kind == DateToken::Colon) {
      return false;
    }
  }
  bool haveDate = !nums.empty() || monthName;
  if (!haveDate && !haveTime) return false;
  double day = 0;
  if (haveDate) {
    int64_t y, m, d;
    double nowDay = std::trunc(NowSerial());
    int currentYear = SplitDate(nowDay).year;
    auto year = [](const DateToken& t) {
      int64_t v = t.value;
      if (t.digits <= 2) v += v < 30 ? 2000 : 1900;
      return v;
    };
    if (monthName) {
      m = monthName;
      if (nums.size() == 2) {
        if (nums[0].digits > 2 || nums[0].value > 31) {
          y = year(nums[0]);
          d = nums[1].value;
        } else {
          d = nums[0].value;
          y = year(nums[1]);
        }
      } else if (nums.size() == 1) {
        if (nums[0].digits > 2 || nums[0].value > 31) {
          y = year(nums[0]);
          d = 1;
        } else {
          d = nums[0].value;
          y = currentYear;
        }
      } else {
        return false;
      }
    } else if (nums.size() == 3) {
      if (nums[0].digits > 2 || nums[0].value > 31) {
        y = year(nums[0]);
        m = nums[1].value;
        d = nums[2].value;
      } else {
        m = nums[0].value;
        d = nums[1].value;
        y = year(nums[2]);
        if (m > 12 && d <= 12) std::swap(m, d);
      }
    } else if (nums.size() == 2) {
      if (nums[1].digits > 2 || nums[1].value > 31) {  // month/year
        m = nums[0].value;
        d = 1;
        y = year(nums[1]);
      } else {
        m = nums[0].value;
        d = nums[1].value;
        y = currentYear;
        if (m > 12 && d <= 12) std::swap(m, d);
      }
    } else {
      return false;
    }
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(static_cast<int>(y), static_cast<int>(m)))
      return false;
    day = DaySerial(y, m, d);
  }
  serial = JoinDateTime(day, haveTime ? TimeFraction(hh, mm, ss) : 0.0);
  return true;
}

}  // namespace lumetrix::vbs
