#pragma once
#include <QDateTime>
#include <functional>

// The program's one notion of "now". Tests replace it to fix the clock.
QDateTime Now();
void SetClock(std::function<QDateTime()> clock);  // empty function restores the system clock

// "yyyy-MM-dd HH:mm:ss", the stored and logged form of a date-time.
QString DateTimeText(const QDateTime& t);
inline constexpr const char* kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";
