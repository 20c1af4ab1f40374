#pragma once
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

class TADODB;

// Every received roll carries this time of day in its receipt date-time: the stock import of
// other invoicing points matches rolls by that text, so it must not follow the clock.
inline const QTime kReceiptTimeOfDay{13, 28, 19};

// "yyyy-MM-dd 13:28:19" for the day the roll was received.
QString ReceiptDateTimeText(const QDate& day);

// The clash rule of the stock: a roll [rollFirst, rollLast] clashes with the range
// [first, last] of the same code when it holds the first number, holds the last number or
// lies wholly inside the range. 8-digit texts compare as numbers.
bool RangeClashes(const QString& first, const QString& last, const QString& rollFirst, const QString& rollLast);

// Whether a stored roll of code, of any invoicing point and in any state, clashes with the
// range; raises EDatabaseError.
bool StoredRangeClashes(TADODB& database, const QString& code, const QString& first, const QString& last);
