// Date-times as the program stores them: days since 1899-12-30 as a double,
// the time of day as the fraction. Weekdays run 1 (Sunday) to 7 (Saturday).
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace strevo {

double encode_date(int year, int month, int day);
double encode_time(int hour, int minute, int second, int millisecond = 0);
void decode_date(double dateTime, int& year, int& month, int& day);
// The calendar day of a date-time; before the epoch too the whole part is
// the day.
std::chrono::sys_days calendar_day(double dateTime);
void decode_time(double dateTime, int& hour, int& minute, int& second, int& millisecond);
int day_of_week(double dateTime);  // 1 = Sunday
// The day without the time; before the epoch too the whole part is the day.
inline double date_part(double dateTime) { return std::trunc(dateTime); }

// Formats with a Windows picture (d dd ddd dddd M MM MMM MMMM yy yyyy h hh H HH
// m mm s ss t tt, text in single quotes copied as it is).
std::string format_date_time(const std::string& picture, double dateTime, const LocaleFormats& formats);

// The locale's short date and long time of a date-time, from the platform.
std::string short_date_text(double dateTime);
std::string long_time_text(double dateTime);

// Date and time now, from the platform clock.
inline double Now() { return Clock().Now(); }
inline double Today() { return date_part(Clock().Now()); }

}  // namespace strevo
