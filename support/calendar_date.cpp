#include "support/calendar_date.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

namespace {

// Days per month in a common year, and the day of the year on which each month begins; index 0
// is unused.
const uint32_t daysPerMonth[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
const uint32_t monthStart[13] = {0, 1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

const char* const monthNames[12] = {"Január", "Február", "Március",    "Április", "Május",    "Június",
                                    "Július", "Augusztus", "Szeptember", "Octóber", "November", "December"};
const char* const upperMonthNames[12] = {"JANUÁR",    "FEBRUÁR",    "MÁRCIUS", "ÁPRILIS",
                                         "MÁJUS",     "JÚNIUS",     "JÚLIUS",  "AUGUSZTUS",
                                         "SZEPTEMBER", "OKTÓBER",   "NOVEMBER", "DECEMBER"};
const char* const dayNames[7] = {"Hétfő", "Kedd", "Szerda", "Csütörtök", "Péntek", "Szombat", "Vasárnap"};
const char* const upperDayNames[7] = {"HÉTFŐ",  "KEDD",    "SZERDA",  "CSÜTÖRTÖK",
                                      "PÉNTEK", "SZOMBAT", "VASÁRNAP"};

// Upper case of a Windows-1250 character.
unsigned char ToUpper1250(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return (unsigned char)(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return (unsigned char)(c - 0x20);  // à..ţ, not ÷
    switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // ś
    case 0x9D: return 0x8D;  // ť
    case 0x9E: return 0x8E;  // ž
    case 0x9F: return 0x8F;  // ź
    case 0xB3: return 0xA3;  // ł
    case 0xB9: return 0xA5;  // ą
    case 0xBA: return 0xAA;  // ş
    case 0xBE: return 0xBC;  // ľ
    case 0xBF: return 0xAF;  // ż
    default: return c;
    }
}

// The 1-based index of the last name that the text starts, case-insensitively, or 0.
uint32_t FindName(const char* name, const char* const* upperNames, uint32_t count)
{
    if (!name) return 0;
    size_t length = strlen(name);
    for (uint32_t index = count; index >= 1; index--) {
        const char* candidate = upperNames[index - 1];
        size_t k = 0;
        while (k < length && ToUpper1250((unsigned char)name[k]) == ToUpper1250((unsigned char)candidate[k])) k++;
        if (k == length) return index;
    }
    return 0;
}

// The decimal number in source[first, first + count); false when any of those characters is not a
// digit or lies past the end of the text.
bool ReadField(const char* source, size_t length, size_t first, size_t count, uint32_t* value)
{
    *value = 0;
    if (first + count > length) return false;
    for (size_t k = first; k < first + count; k++) {
        char c = source[k];
        if (c < '0' || c > '9') {
            *value = 0;
            return false;
        }
        *value = *value * 10 + (uint32_t)(c - '0');
    }
    return true;
}

}  // namespace

CalendarDate* CalendarDate::Init()
{
    dayNumber = 0;
    text[0] = 0;
    return this;
}

void CalendarDate::Destroy(int flags)
{
    if (flags & 1) free(this);
}

CalendarDate* CalendarDate::SetToday()
{
    time_t now = time(nullptr);
    const struct tm* shared = localtime(&now);
    if (!shared) {
        dayNumber = 0;
        return this;
    }
    struct tm local = *shared;  // copied at once: localtime's result is shared
    dayNumber = DayNumberOf((uint32_t)local.tm_mon + 1, (uint32_t)local.tm_mday, (uint32_t)local.tm_year + 1900);
    return this;
}

CalendarDate* CalendarDate::SetDate(uint32_t year, uint32_t month, uint32_t day)
{
    dayNumber = DayNumberOf(month, day, year);
    return this;
}

CalendarDate* CalendarDate::SetDayNumber(uint32_t number)
{
    dayNumber = number;
    return this;
}

CalendarDate* CalendarDate::SetFromText(const char* source)
{
    if (!source) source = "";
    size_t length = strlen(source);
    // "YYYY?MM?DD" from the first ten characters, else "YYYYMMDD".
    size_t monthAt = length >= 10 ? 5 : 4;
    size_t dayAt = length >= 10 ? 8 : 6;
    uint32_t year, month, day;
    bool read = ReadField(source, length, 0, 4, &year);
    read = ReadField(source, length, monthAt, 2, &month) && read;
    read = ReadField(source, length, dayAt, 2, &day) && read;
    // An unread field counts as 0; a year of 0 alone would still be a date (1900), so any unread
    // field makes the whole date invalid.
    dayNumber = read ? DayNumberOf(month, day, year) : 0;
    return this;
}

namespace {

const char* Format(CalendarDate* date, const char* format)
{
    if (date->dayNumber == 0) {
        date->text[0] = 0;
        return date->text;
    }
    uint32_t year, month, day;
    date->ToYmd(&year, &month, &day);
    snprintf(date->text, sizeof date->text, format, (long)year, (long)month, (long)day);
    return date->text;
}

}  // namespace

const char* CalendarDate::ToCompactText() { return Format(this, "%04ld%02ld%02ld"); }
const char* CalendarDate::ToIsoText() { return Format(this, "%04ld-%02ld-%02ld"); }
const char* CalendarDate::ToTextWithDots() { return Format(this, "%04ld.%02ld.%02ld"); }

int CalendarDate::IsLeapYear(uint32_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int CalendarDate::IsValidDay(uint32_t month, uint32_t day, uint32_t year)
{
    if (day == 0 || month < 1 || month > 12) return 0;
    uint32_t days = daysPerMonth[month] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= days;
}

uint32_t CalendarDate::DayNumberOf(uint32_t month, uint32_t day, uint32_t year)
{
    if (year <= 99) year += 1900;
    if (!IsValidDay(month, day, year)) return 0;
    if (month > 2) {
        month -= 3;
    } else {
        month += 9;
        year -= 1;
    }
    uint32_t c = year / 100;
    uint32_t ya = year - 100 * c;
    return (146097 * c) / 4 + (1461 * ya) / 4 + (153 * month + 2) / 5 + day + 1721119;
}

void CalendarDate::ToYmd(uint32_t* year, uint32_t* month, uint32_t* day) const
{
    uint32_t j = dayNumber - 1721119;
    uint32_t y = (4 * j - 1) / 146097;
    j = 4 * j - 1 - 146097 * y;
    uint32_t d = j / 4;
    j = (4 * d + 3) / 1461;
    d = 4 * d + 3 - 1461 * j;
    d = (d + 4) / 4;
    uint32_t m = (5 * d - 3) / 153;
    d = 5 * d - 3 - 153 * m;
    d = (d + 5) / 5;
    y = 100 * y + j;
    if (m < 10) {
        m += 3;
    } else {
        m -= 9;
        y += 1;
    }
    *year = y;
    *month = m;
    *day = d;
}

uint32_t CalendarDate::Year() const
{
    uint32_t year, month, day;
    ToYmd(&year, &month, &day);
    return year;
}

uint32_t CalendarDate::Month() const
{
    uint32_t year, month, day;
    ToYmd(&year, &month, &day);
    return month;
}

uint32_t CalendarDate::Day() const
{
    uint32_t year, month, day;
    ToYmd(&year, &month, &day);
    return day;
}

uint32_t CalendarDate::WeekDay() const { return ((dayNumber + 1) % 7 + 6) % 7 + 1; }

uint32_t CalendarDate::DayOfYear() const { return dayNumber - DayNumberOf(12, 31, Year() - 1); }

uint32_t CalendarDate::DaysInMonth() const
{
    uint32_t year, month, day;
    ToYmd(&year, &month, &day);
    if (month < 1 || month > 12) return 0;
    return daysPerMonth[month] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

uint32_t CalendarDate::DaysInYear() const { return IsLeapYear(Year()) ? 366 : 365; }

uint32_t CalendarDate::FirstDayOfMonth(uint32_t month) const
{
    if (month < 1 || month > 12) return 0;
    return monthStart[month] + (month >= 3 && IsLeapYear(Year()) ? 1 : 0);
}

int CalendarDate::IsLeap() const { return IsLeapYear(Year()); }

int CalendarDate::IsValid() const { return dayNumber != 0; }

int CalendarDate::Compare(const CalendarDate& other) const
{
    return dayNumber < other.dayNumber ? -1 : dayNumber > other.dayNumber ? 1 : 0;
}

int CalendarDate::IsBetween(const CalendarDate& first, const CalendarDate& last) const
{
    return dayNumber >= first.dayNumber && dayNumber <= last.dayNumber;
}

int64_t CalendarDate::Difference(const CalendarDate& other) const
{
    return (int64_t)dayNumber - (int64_t)other.dayNumber;
}

CalendarDate* CalendarDate::Next() { return Add(1); }
CalendarDate* CalendarDate::Previous() { return Subtract(1); }

CalendarDate* CalendarDate::Add(uint32_t days)
{
    dayNumber += days;
    return this;
}

CalendarDate* CalendarDate::Subtract(uint32_t days)
{
    dayNumber -= days;
    return this;
}

const char* CalendarDate::MonthName(uint32_t month)
{
    return month >= 1 && month <= 12 ? monthNames[month - 1] : nullptr;
}

const char* CalendarDate::DayName(uint32_t weekDay)
{
    return weekDay >= 1 && weekDay <= 7 ? dayNames[weekDay - 1] : nullptr;
}

uint32_t CalendarDate::MonthFromName(const char* name) { return FindName(name, upperMonthNames, 12); }

uint32_t CalendarDate::DayFromName(const char* name) { return FindName(name, upperDayNames, 7); }
