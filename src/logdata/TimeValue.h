#pragma once
// Time values: unsigned seconds since 1970-01-01 00:00:00 on the logger's wall clock, broken down as if UTC.

#include <cstdint>
#include <optional>

namespace vyx {

struct CivilDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date (negative before it).
std::int64_t DaysFromCivil(int year, int month, int day);

// True when the date exists on the calendar.
bool IsValidDate(int year, int month, int day);

// Calendar fields of a time value; no time-zone shift.
CivilDateTime BreakDown(std::uint32_t time);

// Seconds value of a date and time, counted like a day start: whole days since 1970-01-01 times 86400 plus
// the time of day. Negative values (before 1970) and values past the 32-bit range are returned as they are;
// callers decide how to clamp.
std::int64_t SecondsFromCivil(const CivilDateTime& t);

// Day start of a valid date as an unsigned time value; nullopt when the date lies outside 1970..2106.
std::optional<std::uint32_t> DayStart(int year, int month, int day);

// "dd/MM/yyyy HH:MM:SS" or "dd/MM/yyyy" (time 00:00:00); nullopt when malformed or not a calendar date.
std::optional<CivilDateTime> ParseDateTimeText(const char* text);

}  // namespace vyx
