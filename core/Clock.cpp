#include "Clock.h"

namespace {
std::function<QDateTime()>& ClockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}
}  // namespace

QDateTime Now()
{
    auto& clock = ClockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

void SetClock(std::function<QDateTime()> clock) { ClockFunction() = std::move(clock); }

QString DateTimeText(const QDateTime& t) { return t.toString(QString::fromLatin1(kDateTimeFormat)); }
