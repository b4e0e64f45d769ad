// Times as the archive stores them: a Windows FILETIME, 100 ns ticks since 1601-01-01 00:00 UTC.
#pragma once
#include <cstdint>
#include <string>

#include "archive/file_time.h"

// A Unix time (seconds since 1970, negative before it; nanoseconds 0..999999999) as a FILETIME,
// the nanoseconds cut to whole 100 ns ticks. Times before 1601 give 0.
uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);

// The time as UTC text "YYYY-MM-DD HH:MM:SS"; the part below a second is dropped. Valid for
// every 64-bit value (the year then runs past 9999 and takes more digits).
std::string FormatFileTimeUtc(uint64_t fileTime);

// 10000-01-01 00:00:00 UTC: from here on a date no longer fits ISO 8601's four-digit years.
constexpr uint64_t kFileTimeOfYear10000 = 2650467744000000000u;

// The time SOURCE_DATE_EPOCH gives (Unix seconds in decimal digits, 0 or more) as a FILETIME.
// False for any other text.
bool ParseSourceDateEpoch(const std::string& text, uint64_t* fileTime);
