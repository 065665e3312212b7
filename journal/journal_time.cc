#include "journal/journal_time.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

const long long kSecondsPerDay = 24LL * 60 * 60;

// Days from 1970-01-01 to a date of the Gregorian calendar. Our own, as MinGW has no timegm.
long long DaysFromCivil(long long year, long long month, long long day) {
  year -= month <= 2 ? 1 : 0;
  long long era = (year >= 0 ? year : year - 399) / 400;
  long long yearOfEra = year - era * 400;
  long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

long long SecondsOfDay(long long hour, long long minute, long long second) {
  return (hour * 60 + minute) * 60 + second;
}

bool LocalTime(std::time_t time, std::tm* local) {
  const std::tm* converted = std::localtime(&time);
  if (converted == nullptr)
    return false;
  *local = *converted;
  return true;
}

long long DaysInMonth(long long year, long long month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// The moment of a local date and time, as the station's clock shows it.
bool LocalMoment(long long year, long long month, long long day, long long seconds,
                 std::time_t* time) {
  std::tm local = {};
  local.tm_year = static_cast<int>(year - 1900);
  local.tm_mon = static_cast<int>(month - 1);
  local.tm_mday = static_cast<int>(day);
  local.tm_sec = static_cast<int>(seconds);
  local.tm_isdst = -1;  // as the clock had it on that day
  std::time_t moment = std::mktime(&local);
  if (moment == static_cast<std::time_t>(-1))
    return false;
  *time = moment;
  return true;
}

// Whether `text` has the form of `pattern`: '0' a digit, '+' a sign, any other byte itself.
bool Matches(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size())
    return false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    bool matches = pattern[i] == '0'   ? text[i] >= '0' && text[i] <= '9'
                   : pattern[i] == '+' ? text[i] == '+' || text[i] == '-'
                                       : text[i] == pattern[i];
    if (!matches)
      return false;
  }
  return true;
}

// The dates a time begins with: Tarvo's own, and the day first as a spreadsheet in much of
// Europe writes it back. Where the year, month and day begin.
struct DateForm {
  std::string_view pattern;
  size_t year, month, day;
};
const DateForm kDateForms[] = {{"0000-00-00", 0, 5, 8}, {"00.00.0000", 6, 3, 0}};

// The number that the digits at [begin, begin + count) of `text` make.
long long Number(std::string_view text, size_t begin, size_t count) {
  long long value = 0;
  for (char digit : text.substr(begin, count))
    value = value * 10 + (digit - '0');
  return value;
}

// The two digits at `at` of `text` as a number, or -1000 when they are not both digits.
long long TwoDigits(std::string_view text, size_t at) {
  auto high = static_cast<unsigned>(text[at] - '0'),
       low = static_cast<unsigned>(text[at + 1] - '0');
  return high < 10 && low < 10 ? static_cast<long long>(high * 10 + low) : -1000LL;
}

// The seconds since midnight of the time of day in Tarvo's own form ("T14:03:22" of
// "2026-12-08T14:03:22+01:00"); -1 when it is no time of day.
long long OwnTimeOfDay(std::string_view text) {
  long long hour = TwoDigits(text, 11), minute = TwoDigits(text, 14), second = TwoDigits(text, 17);
  if (text[13] != ':' || text[16] != ':' || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 60)
    return -1;
  return SecondsOfDay(hour, minute, second);
}

// Tarvo's own form, "2026-12-08T14:03:22+01:00", which nearly every row has: read at once.
bool ParseOwnForm(std::string_view text, std::time_t* time) {
  if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || (text[19] != '+' && text[19] != '-') || text[22] != ':')
    return false;
  auto two = [text](size_t at) { return TwoDigits(text, at); };
  long long century = two(0), year = century * 100 + two(2), month = two(5), day = two(8);
  long long hour = two(11), minute = two(14), second = two(17);
  long long offsetHours = two(20), offsetMinutes = two(23);
  if (century < 0 || year < century * 100 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 60 || offsetHours < 0 || offsetHours > 23 || offsetMinutes < 0 ||
      offsetMinutes > 59)
    return false;
  long long offset = SecondsOfDay(offsetHours, offsetMinutes, 0) * (text[19] == '-' ? -1 : 1);
  *time = static_cast<std::time_t>(DaysFromCivil(year, month, day) * kSecondsPerDay +
                                   SecondsOfDay(hour, minute, second) - offset);
  return true;
}

}  // namespace

std::string JournalTime(std::time_t time) {
  std::tm local;
  if (!LocalTime(time, &local))
    return std::string();
  // The offset is how far the local clock is ahead of UTC: the local date and time
  // counted as if they were UTC, less the moment itself.
  long long offset =
      DaysFromCivil(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday) * kSecondsPerDay +
      SecondsOfDay(local.tm_hour, local.tm_min, local.tm_sec) - static_cast<long long>(time);
  long long offsetMinutes = (offset < 0 ? -offset : offset) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02lld:%02lld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, offset < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
  return text;
}

std::string CompactLocalTime(std::time_t time) {
  std::tm local;
  if (!LocalTime(time, &local))
    return std::string();
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &local);
  return text;
}

bool ParseJournalTime(std::string_view text, std::time_t* time) {
  if (ParseOwnForm(text, time))
    return true;
  const DateForm* date = nullptr;
  for (const DateForm& form : kDateForms) {
    if (Matches(text.substr(0, form.pattern.size()), form.pattern))
      date = &form;
  }
  if (date == nullptr || text.size() < 16 || (text[10] != 'T' && text[10] != ' ') ||
      !Matches(text.substr(11, 5), "00:00"))
    return false;
  long long year = Number(text, date->year, 4), month = Number(text, date->month, 2);
  long long day = Number(text, date->day, 2), hour = Number(text, 11, 2);
  long long minute = Number(text, 14, 2), second = 0;
  std::string_view rest = text.substr(16);
  if (Matches(rest.substr(0, 3), ":00")) {
    second = Number(rest, 1, 2);
    rest.remove_prefix(3);
  }
  bool local = rest.empty();
  if (!local && !Matches(rest, "+00:00"))
    return false;
  long long offsetHours = local ? 0 : Number(rest, 1, 2);
  long long offsetMinutes = local ? 0 : Number(rest, 4, 2);
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 60 || offsetHours > 23 || offsetMinutes > 59)
    return false;
  if (local)
    return LocalMoment(year, month, day, SecondsOfDay(hour, minute, second), time);
  long long offset = SecondsOfDay(offsetHours, offsetMinutes, 0) * (rest[0] == '-' ? -1 : 1);
  *time = static_cast<std::time_t>(DaysFromCivil(year, month, day) * kSecondsPerDay +
                                   SecondsOfDay(hour, minute, second) - offset);
  return true;
}

bool JournalTimeParser::Parse(std::string_view text, std::time_t* time) {
  if (known_ && text.size() == 25 && std::memcmp(text.data(), day_.data(), 11) == 0 &&
      std::memcmp(text.data() + 19, offset_.data(), 6) == 0) {
    long long seconds = OwnTimeOfDay(text);
    if (seconds < 0)
      return ParseJournalTime(text, time);
    *time = static_cast<std::time_t>(start_ + seconds);
    return true;
  }
  if (!ParseOwnForm(text, time))
    return ParseJournalTime(text, time);
  known_ = true;
  std::copy(text.begin(), text.begin() + 11, day_.begin());
  std::copy(text.begin() + 19, text.end(), offset_.begin());
  start_ = static_cast<long long>(*time) - OwnTimeOfDay(text);
  return true;
}
