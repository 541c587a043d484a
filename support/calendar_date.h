// Gregorian calendar dates held as Julian day numbers (2000-01-01 is 2451545). Day number 0 means no
// date: every invalid input gives it, and every text form renders it as an empty text. All
// arithmetic is unsigned 32-bit with truncating division, as the day-number formulas require.
#pragma once

#include <stdint.h>

struct CalendarDate {
    uint32_t dayNumber;
    char text[16];  // the text of the last text-form call; valid until the next one

    // No date, empty text.
    CalendarDate* Init();
    // Frees the object itself only when bit 0 of flags is set (heap objects, malloc'ed).
    void Destroy(int flags);

    // Today's local date (time and localtime).
    CalendarDate* SetToday();
    // From year, month and day; years 0 to 99 mean 1900 to 1999.
    CalendarDate* SetDate(uint32_t year, uint32_t month, uint32_t day);
    CalendarDate* SetDayNumber(uint32_t number);
    // From "YYYY?MM?DD" (10 characters or more, whatever the two separators are) or else "YYYYMMDD".
    // A field that is not all digits counts as 0, which makes the date invalid.
    CalendarDate* SetFromText(const char* source);

    // "20261207", "2026-12-07", "2026.12.07": written into text and returned; empty for no date.
    const char* ToCompactText();
    const char* ToIsoText();
    const char* ToTextWithDots();

    // The day number of a date, 0 when it is not valid. Years 0 to 99 mean 1900 to 1999.
    static uint32_t DayNumberOf(uint32_t month, uint32_t day, uint32_t year);
    // Splits the day number into year, month and day (meaningless for day number 0).
    void ToYmd(uint32_t* year, uint32_t* month, uint32_t* day) const;
    static int IsValidDay(uint32_t month, uint32_t day, uint32_t year);
    static int IsLeapYear(uint32_t year);

    uint32_t Year() const;
    uint32_t Month() const;
    uint32_t Day() const;
    // 1 = Monday ... 7 = Sunday.
    uint32_t WeekDay() const;
    // 1 for 1 January.
    uint32_t DayOfYear() const;
    uint32_t DaysInMonth() const;
    uint32_t DaysInYear() const;
    // Day of the date's year on which the month begins; 0 for a month outside 1 to 12.
    uint32_t FirstDayOfMonth(uint32_t month) const;
    int IsLeap() const;
    // Whether there is a date at all (day number not 0).
    int IsValid() const;

    // -1, 0 or 1 by day number.
    int Compare(const CalendarDate& other) const;
    bool operator==(const CalendarDate& other) const { return dayNumber == other.dayNumber; }
    bool operator!=(const CalendarDate& other) const { return dayNumber != other.dayNumber; }
    bool operator<(const CalendarDate& other) const { return dayNumber < other.dayNumber; }
    bool operator<=(const CalendarDate& other) const { return dayNumber <= other.dayNumber; }
    bool operator>(const CalendarDate& other) const { return dayNumber > other.dayNumber; }
    bool operator>=(const CalendarDate& other) const { return dayNumber >= other.dayNumber; }
    // Whether the date lies between first and last, both included.
    int IsBetween(const CalendarDate& first, const CalendarDate& last) const;
    // This date's day number minus the other's.
    int64_t Difference(const CalendarDate& other) const;

    CalendarDate* Next();
    CalendarDate* Previous();
    CalendarDate* Add(uint32_t days);
    CalendarDate* Subtract(uint32_t days);

    // Hungarian names (Windows-1250): months 1 to 12, week days 1 (Monday) to 7; null out of range.
    static const char* MonthName(uint32_t month);
    static const char* DayName(uint32_t weekDay);
    // The month or week day whose upper-case name starts with the text, compared case-insensitively
    // over the text's length and searched from the last name backwards; 0 when none matches.
    static uint32_t MonthFromName(const char* name);
    static uint32_t DayFromName(const char* name);
};
