#include "logdata/TimeValue.h"

#include <cstdio>
#include <cstring>

namespace vyx {

// Howard Hinnant's days_from_civil / civil_from_days: exact integer calendar arithmetic.
std::int64_t DaysFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsValidDate(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    int y = 0, m = 0, d = 0;
    CivilFromDays(DaysFromCivil(year, month, day), y, m, d);
    return y == year && m == month && d == day;
}

CivilDateTime BreakDown(std::uint32_t time) {
    CivilDateTime t;
    const std::uint32_t days = time / 86400;
    std::uint32_t rest = time % 86400;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    rest %= 3600;
    t.minute = static_cast<int>(rest / 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::int64_t SecondsFromCivil(const CivilDateTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::optional<std::uint32_t> DayStart(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return std::nullopt;
    const std::int64_t seconds = DaysFromCivil(year, month, day) * 86400;
    if (seconds < 0 || seconds > 0xFFFFFFFFLL) return std::nullopt;
    return static_cast<std::uint32_t>(seconds);
}

std::optional<CivilDateTime> ParseDateTimeText(const char* text) {
    if (text == nullptr) return std::nullopt;
    CivilDateTime t;
    char tail = 0;
    int consumed = 0;
    const std::size_t len = std::strlen(text);
    if (std::sscanf(text, "%2d/%2d/%4d %2d:%2d:%2d%n%c", &t.day, &t.month, &t.year, &t.hour, &t.minute, &t.second,
                    &consumed, &tail) == 6 &&
        static_cast<std::size_t>(consumed) == len) {
        // full form
    } else if (std::sscanf(text, "%2d/%2d/%4d%n%c", &t.day, &t.month, &t.year, &consumed, &tail) == 3 &&
               static_cast<std::size_t>(consumed) == len) {
        t.hour = t.minute = t.second = 0;
    } else {
        return std::nullopt;
    }
    if (!IsValidDate(t.year, t.month, t.day)) return std::nullopt;
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59) {
        return std::nullopt;
    }
    return t;
}

}  // namespace vyx
