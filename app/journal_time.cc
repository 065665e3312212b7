#include "app/journal_time.h"

#include <cstdio>

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

// The number that the digits at [begin, begin + count) of `text` make.
long long Number(std::string_view text, size_t begin, size_t count) {
  long long value = 0;
  for (char digit : text.substr(begin, count))
    value = value * 10 + (digit - '0');
  return value;
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
  const std::string_view kForm = "0000-00-00T00:00:00+00:00";
  if (text.size() != kForm.size())
    return false;
  for (size_t i = 0; i < kForm.size(); ++i) {
    bool matches = kForm[i] == '0'   ? text[i] >= '0' && text[i] <= '9'
                   : kForm[i] == '+' ? text[i] == '+' || text[i] == '-'
                                     : text[i] == kForm[i];
    if (!matches)
      return false;
  }
  long long month = Number(text, 5, 2), day = Number(text, 8, 2);
  long long hour = Number(text, 11, 2), minute = Number(text, 14, 2);
  long long second = Number(text, 17, 2);
  long long offsetHours = Number(text, 20, 2), offsetMinutes = Number(text, 23, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
      offsetHours > 23 || offsetMinutes > 59)
    return false;
  long long offset = SecondsOfDay(offsetHours, offsetMinutes, 0) * (text[19] == '-' ? -1 : 1);
  *time = static_cast<std::time_t>(DaysFromCivil(Number(text, 0, 4), month, day) * kSecondsPerDay +
                                   SecondsOfDay(hour, minute, second) - offset);
  return true;
}
