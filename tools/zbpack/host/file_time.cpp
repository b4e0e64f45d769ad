#include "zbpack/host/file_time.h"

#include <cstdio>

#include "zbpack/host/number_text.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysFrom1601To1970 = 134774;

struct CivilDate {
  int64_t year;
  int64_t month;  // 1..12
  int64_t day;    // 1..31
};

// Proleptic Gregorian date of a day count relative to 1970-01-01. Works in 400-year eras of
// 146097 days, with each year starting on 1 March so that the leap day falls at its end.
CivilDate CivilFromDays(int64_t days) {
  days += 719468;  // days from 0000-03-01 to 1970-01-01
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
  CivilDate date;
  date.day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  date.month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  date.year = yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

}  // namespace

uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds) {
  constexpr int64_t kEpochSeconds =
      static_cast<int64_t>(kUnixEpochAsFileTime / kFileTimeTicksPerSecond);
  if (seconds < -kEpochSeconds) return 0;
  const uint64_t secondsSince1601 = static_cast<uint64_t>(seconds + kEpochSeconds);
  return secondsSince1601 * kFileTimeTicksPerSecond + nanoseconds / 100;
}

std::string FormatFileTimeUtc(uint64_t fileTime) {
  const int64_t seconds = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond);
  const int64_t secondOfDay = seconds % kSecondsPerDay;
  const CivilDate date = CivilFromDays(seconds / kSecondsPerDay - kDaysFrom1601To1970);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(date.year), static_cast<long long>(date.month),
                static_cast<long long>(date.day), static_cast<long long>(secondOfDay / 3600),
                static_cast<long long>(secondOfDay / 60 % 60),
                static_cast<long long>(secondOfDay % 60));
  return text;
}

bool ParseSourceDateEpoch(const std::string& text, uint64_t* fileTime) {
  // The latest Unix time whose FILETIME still fits in 64 bits.
  constexpr uint64_t kLatestSeconds =
      UINT64_MAX / kFileTimeTicksPerSecond - kUnixEpochAsFileTime / kFileTimeTicksPerSecond;
  uint64_t seconds = 0;
  // The convention allows decimal digits only: "0x10" is no time.
  if (text.find_first_not_of("0123456789") != std::string::npos) return false;
  if (!ParseNumber(text, kLatestSeconds, &seconds)) return false;
  *fileTime = FileTimeFromUnix(static_cast<int64_t>(seconds), 0);
  return true;
}
