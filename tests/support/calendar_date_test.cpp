#include "support/calendar_date.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <string>

namespace {

CalendarDate Date(uint32_t year, uint32_t month, uint32_t day)
{
    CalendarDate date;
    date.Init()->SetDate(year, month, day);
    return date;
}

std::string Ymd(const CalendarDate& date)
{
    uint32_t year, month, day;
    date.ToYmd(&year, &month, &day);
    char text[40];
    snprintf(text, sizeof text, "%u-%u-%u", year, month, day);
    return text;
}

TEST(CalendarDate, DayNumbersOfKnownDates)
{
    struct Case {
        uint32_t year, month, day, number, weekDay;
    } cases[] = {
        {2000, 1, 1, 2451545, 6},  {2026, 12, 7, 2461382, 1}, {2024, 1, 1, 2460311, 1},
        {1900, 3, 1, 2415080, 4},  {1970, 1, 1, 2440588, 4},  {2400, 2, 29, 2597701, 2},
        {9999, 12, 31, 5373484, 5}, {100, 3, 1, 1757644, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        EXPECT_EQ(CalendarDate::DayNumberOf(c.month, c.day, c.year), c.number);
        CalendarDate date = Date(c.year, c.month, c.day);
        EXPECT_EQ(date.dayNumber, c.number);
        EXPECT_EQ(date.WeekDay(), c.weekDay);
        EXPECT_EQ(date.Year(), c.year);
        EXPECT_EQ(date.Month(), c.month);
        EXPECT_EQ(date.Day(), c.day);
    }
}

TEST(CalendarDate, ValidityRules)
{
    struct Case {
        uint32_t year, month, day;
        bool valid;
    } cases[] = {
        {2024, 2, 29, true},  {2000, 2, 29, true},  {2023, 2, 29, false}, {1900, 2, 29, false},
        {2100, 2, 29, false}, {2400, 2, 29, true},  {2024, 0, 1, false},  {2024, 13, 1, false},
        {2024, 1, 0, false},  {2024, 1, 31, true},  {2024, 1, 32, false}, {2024, 4, 30, true},
        {2024, 4, 31, false}, {2024, 12, 31, true}, {0, 2, 29, false},  // year 0 is 1900
        {96, 2, 29, true},    {4294967295u, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        uint32_t year = c.year <= 99 ? c.year + 1900 : c.year;
        EXPECT_EQ(CalendarDate::IsValidDay(c.month, c.day, year) != 0, c.valid);
        if (c.year < 10000) {
            CalendarDate date = Date(c.year, c.month, c.day);
            EXPECT_EQ(date.IsValid() != 0, c.valid);
            if (!c.valid) {
                EXPECT_EQ(date.dayNumber, 0u);
                EXPECT_STREQ(date.ToCompactText(), "");
                EXPECT_STREQ(date.ToIsoText(), "");
                EXPECT_STREQ(date.ToTextWithDots(), "");
            }
        }
    }
    for (uint32_t year : {1900u, 2023u, 2100u, 1999u})
        EXPECT_FALSE(CalendarDate::IsLeapYear(year)) << year;
    for (uint32_t year : {2000u, 2024u, 2400u, 1996u, 0u})
        EXPECT_TRUE(CalendarDate::IsLeapYear(year)) << year;
}

TEST(CalendarDate, TwoDigitYearsMeanTheNineteenHundreds)
{
    EXPECT_EQ(Ymd(Date(99, 3, 1)), "1999-3-1");
    EXPECT_EQ(Ymd(Date(1, 1, 1)), "1901-1-1");
    EXPECT_EQ(Ymd(Date(0, 12, 31)), "1900-12-31");
    for (uint32_t year = 0; year <= 99; year++)
        for (uint32_t month = 1; month <= 12; month++)
            for (uint32_t day = 1; day <= 31; day++)
                ASSERT_EQ(CalendarDate::DayNumberOf(month, day, year),
                          CalendarDate::DayNumberOf(month, day, year + 1900))
                    << year << "-" << month << "-" << day;
    EXPECT_EQ(Date(100, 1, 1).Year(), 100u);
}

// Every valid day from year 100 to 9999, in order: its day number is one more than the day before,
// it splits back into the same date, and its week day follows the previous one.
TEST(CalendarDate, EveryDayRoundTrips)
{
    uint32_t previous = 0;
    uint32_t previousWeekDay = 0;
    unsigned days = 0;
    for (uint32_t year = 100; year <= 9999; year++) {
        for (uint32_t month = 1; month <= 12; month++) {
            for (uint32_t day = 1; day <= 32; day++) {
                uint32_t number = CalendarDate::DayNumberOf(month, day, year);
                if (!CalendarDate::IsValidDay(month, day, year)) {
                    ASSERT_EQ(number, 0u) << year << "-" << month << "-" << day;
                    continue;
                }
                if (previous) {
                    ASSERT_EQ(number, previous + 1) << year << "-" << month << "-" << day;
                }
                CalendarDate date;
                date.Init()->SetDayNumber(number);
                uint32_t y, m, d;
                date.ToYmd(&y, &m, &d);
                ASSERT_TRUE(y == year && m == month && d == day) << year << "-" << month << "-" << day;
                if (previousWeekDay) {
                    ASSERT_EQ(date.WeekDay(), previousWeekDay % 7 + 1);
                }
                previous = number;
                previousWeekDay = date.WeekDay();
                days++;
            }
        }
    }
    EXPECT_EQ(days, CalendarDate::DayNumberOf(12, 31, 9999) - CalendarDate::DayNumberOf(1, 1, 100) + 1);
}

// Day of year, days in month and year, and the first days of the months, over 1900 to 2400.
TEST(CalendarDate, PositionsWithinTheYear)
{
    for (uint32_t year = 1900; year <= 2400; year++) {
        CalendarDate first = Date(year, 1, 1);
        uint32_t yearLength = CalendarDate::IsLeapYear(year) ? 366 : 365;
        ASSERT_EQ(first.DaysInYear(), yearLength) << year;
        ASSERT_EQ(first.IsLeap() != 0, yearLength == 366) << year;
        ASSERT_EQ(Date(year, 12, 31).DayOfYear(), yearLength) << year;
        for (uint32_t month = 1; month <= 12; month++) {
            CalendarDate start = Date(year, month, 1);
            ASSERT_EQ(start.DayOfYear(), first.FirstDayOfMonth(month)) << year << "-" << month;
            ASSERT_EQ(start.DayOfYear(), start.dayNumber - first.dayNumber + 1) << year << "-" << month;
            uint32_t length = start.DaysInMonth();
            ASSERT_TRUE(CalendarDate::IsValidDay(month, length, year));
            ASSERT_FALSE(CalendarDate::IsValidDay(month, length + 1, year));
        }
        ASSERT_EQ(first.FirstDayOfMonth(0), 0u);
        ASSERT_EQ(first.FirstDayOfMonth(13), 0u);
    }
    EXPECT_EQ(Date(2024, 3, 1).DayOfYear(), 61u);
    EXPECT_EQ(Date(2023, 3, 1).DayOfYear(), 60u);
    EXPECT_EQ(Date(2024, 2, 10).DaysInMonth(), 29u);
    EXPECT_EQ(Date(2100, 2, 10).DaysInMonth(), 28u);
}

TEST(CalendarDate, TextForms)
{
    CalendarDate date = Date(2026, 12, 7);
    EXPECT_STREQ(date.ToCompactText(), "20261207");
    EXPECT_STREQ(date.ToIsoText(), "2026-12-07");
    const char* dotted = date.ToTextWithDots();
    EXPECT_STREQ(dotted, "2026.12.07");
    EXPECT_EQ(dotted, date.text) << "the text lives in the object";

    date.SetDate(987, 3, 5);
    EXPECT_STREQ(date.ToCompactText(), "09870305");
    EXPECT_STREQ(date.ToIsoText(), "0987-03-05");
    EXPECT_STREQ(date.ToTextWithDots(), "0987.03.05");

    date.SetDayNumber(0);
    EXPECT_STREQ(date.ToCompactText(), "");
    date.SetDate(2023, 2, 29);
    EXPECT_STREQ(date.ToIsoText(), "");
}

TEST(CalendarDate, FromText)
{
    struct Case {
        const char* text;
        const char* iso;
    } cases[] = {
        {"2024-02-29", "2024-02-29"},   {"2024.12.07", "2024-12-07"},  {"2024/01/31 10:00", "2024-01-31"},
        {"2024x03y04", "2024-03-04"},   {"20240229", "2024-02-29"},    {"0099-03-01", "1999-03-01"},
        {"2023-02-29", ""},             {"2024-2-29", ""},             {"2024-02-3x", ""},
        {"abcd-01-01", ""},             {"2024-13-01", ""},            {"202401", ""},
        {"0000-01-01", "1900-01-01"},   {"    0101", ""},
        {"", ""},                       {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        CalendarDate date;
        date.Init()->SetFromText(c.text);
        EXPECT_STREQ(date.ToIsoText(), c.iso);
    }
}

TEST(CalendarDate, ComparisonsAndArithmetic)
{
    CalendarDate a = Date(2024, 2, 28), b = Date(2024, 3, 1), c = Date(2024, 3, 1);
    EXPECT_EQ(a.Compare(b), -1);
    EXPECT_EQ(b.Compare(a), 1);
    EXPECT_EQ(b.Compare(c), 0);
    EXPECT_TRUE(a < b && a <= b && b > a && b >= a && a != b && b == c && b <= c && b >= c);
    EXPECT_FALSE(a > b || a >= b || b < a || b <= a || a == b || b != c || b < c || b > c);
    EXPECT_EQ(b.Difference(a), 2);
    EXPECT_EQ(a.Difference(b), -2);
    EXPECT_EQ(Date(2023, 3, 1).Difference(Date(2023, 2, 28)), 1);

    EXPECT_TRUE(a.IsBetween(a, b));
    EXPECT_TRUE(b.IsBetween(a, b));
    EXPECT_TRUE(Date(2024, 2, 29).IsBetween(a, b));
    EXPECT_FALSE(Date(2024, 2, 27).IsBetween(a, b));
    EXPECT_FALSE(Date(2024, 3, 2).IsBetween(a, b));
    EXPECT_FALSE(Date(2024, 2, 29).IsBetween(b, a));

    CalendarDate d = a;
    EXPECT_EQ(Ymd(*d.Next()), "2024-2-29");
    EXPECT_EQ(Ymd(*d.Next()), "2024-3-1");
    EXPECT_EQ(Ymd(*d.Previous()->Previous()), "2024-2-28");
    EXPECT_EQ(Ymd(*Date(2000, 1, 1).Previous()), "1999-12-31");
    CalendarDate e = Date(2024, 1, 1);
    EXPECT_EQ(Ymd(*e.Add(366)), "2025-1-1");
    EXPECT_EQ(Ymd(*e.Subtract(365 + 366)), "2023-1-1");
}

TEST(CalendarDate, NamesAreHungarianWindows1250)
{
    const char* months[] = {"Január", "Február", "Március",    "Április", "Május",    "Június",
                            "Július", "Augusztus", "Szeptember", "Octóber", "November", "December"};
    for (uint32_t month = 1; month <= 12; month++) EXPECT_STREQ(CalendarDate::MonthName(month), months[month - 1]);
    const char* days[] = {"Hétfő", "Kedd", "Szerda", "Csütörtök", "Péntek", "Szombat", "Vasárnap"};
    for (uint32_t day = 1; day <= 7; day++) EXPECT_STREQ(CalendarDate::DayName(day), days[day - 1]);
    // The bytes themselves: single-byte Windows-1250, not UTF-8.
    EXPECT_STREQ(CalendarDate::MonthName(10), "Oct\xF3" "ber");
    EXPECT_STREQ(CalendarDate::DayName(1), "H\xE9tf\xF5");
    EXPECT_STREQ(CalendarDate::DayName(4), "Cs\xFCt\xF6rt\xF6k");
    EXPECT_EQ(CalendarDate::MonthName(0), nullptr);
    EXPECT_EQ(CalendarDate::MonthName(13), nullptr);
    EXPECT_EQ(CalendarDate::DayName(0), nullptr);
    EXPECT_EQ(CalendarDate::DayName(8), nullptr);
    EXPECT_STREQ(CalendarDate::DayName(Date(2000, 1, 1).WeekDay()), "Szombat");
}

// Names are looked up case-insensitively over the given text's length, from the last entry
// backwards, against the upper-case tables.
TEST(CalendarDate, FromName)
{
    struct Case {
        const char* name;
        uint32_t index;
    } months[] = {
        {"JANUÁR", 1},  {"január", 1},   {"Február", 2},   {"márc", 3},      {"Április", 4},
        {"OKTÓBER", 10}, {"október", 10}, {"Octóber", 0},   {"J", 7},         {"jú", 7},
        {"jún", 6},      {"MÁ", 5},       {"má", 5},        {"DEC", 12},      {"decemberx", 0},
        {"Szept", 9},    {"Januar", 0},   {"x", 0},         {"", 12},         {nullptr, 0},
    };
    for (const Case& c : months)
        EXPECT_EQ(CalendarDate::MonthFromName(c.name), c.index) << (c.name ? c.name : "(null)");
    Case days[] = {
        {"hétfő", 1},  {"HÉTFŐ", 1}, {"Hétfö", 0}, {"kedd", 2}, {"Sz", 6}, {"szerda", 3}, {"cs", 4},
        {"csütörtök", 4}, {"P", 5},   {"szombat", 6}, {"V", 7},   {"vasárnapx", 0}, {"", 7},
    };
    for (const Case& c : days)
        EXPECT_EQ(CalendarDate::DayFromName(c.name), c.index) << (c.name ? c.name : "(null)");
}

// Today's date against the local date taken independently; repeated if midnight passed between.
TEST(CalendarDate, TodayIsTheLocalDate)
{
    for (int attempt = 0; attempt < 3; attempt++) {
        time_t before = time(nullptr);
        struct tm local = *localtime(&before);
        CalendarDate today;
        today.Init()->SetToday();
        time_t after = time(nullptr);
        if (localtime(&after)->tm_mday != local.tm_mday) continue;
        char expected[3][40];
        snprintf(expected[0], 40, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        snprintf(expected[1], 40, "%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        snprintf(expected[2], 40, "%04d.%02d.%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        EXPECT_STREQ(today.ToCompactText(), expected[0]);
        EXPECT_STREQ(today.ToIsoText(), expected[1]);
        EXPECT_STREQ(today.ToTextWithDots(), expected[2]);
        EXPECT_EQ(today.WeekDay(), (uint32_t)(local.tm_wday == 0 ? 7 : local.tm_wday));
        EXPECT_EQ(today.DayOfYear(), (uint32_t)local.tm_yday + 1);
        today.Destroy(2);
        return;
    }
    FAIL() << "the date kept changing";
}

TEST(CalendarDate, DestroyFreesOnlyWithBitZero)
{
    CalendarDate* heap = static_cast<CalendarDate*>(malloc(sizeof(CalendarDate)));
    ASSERT_NE(heap, nullptr);
    EXPECT_STREQ(heap->Init()->SetToday()->ToIsoText(), CalendarDate().Init()->SetToday()->ToIsoText());
    heap->Destroy(3);  // the sanitizers report a leak if this does not free it
    CalendarDate stack;
    stack.Init()->SetDate(2024, 1, 1);
    stack.Destroy(2);  // and a bad free if this does
    EXPECT_EQ(stack.dayNumber, 2460311u);
}

}  // namespace
