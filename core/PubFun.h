#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

class QIODevice;

QString IfThenStr(bool condition, const QString& a, const QString& b);

// The amount in Chinese capital numerals as printed on the invoice.
QString MoneyToChinese(double amount);

// number advanced by step, keeping the width of its last nine characters; raises
// EConvertError when that tail is not a decimal integer.
QString IncInvoiceNo(const QString& number, int step);

// Invoices from first to last inclusive (last twelve characters each), -1 when either is
// empty; raises EConvertError when a tail is not a decimal integer.
qint32 InvoiceCount(const QString& first, const QString& last);

// Q(x): x between single quotes with inner quotes doubled. Only for text shown to people
// (log lines); statements bind their values.
QString QuotedStr(const QString& text);

// "yyyy-MM" of the calendar month before t (the day clamped to the shorter month).
QString PreviousMonthKey(const QDateTime& t);

// An amount as C's "%10.2f" prints it (two decimals, ties to even, right-aligned in ten
// characters, longer numbers whole), but never "-0.00": a sum that rounds to no cent has no sign.
QString FormatAmount(double value);

// A decimal integer written as digits only; raises EConvertError otherwise (also on overflow).
int StrictToInt(const QString& text);

// Everything the device holds from where it stands, opening it for reading when it is closed;
// false when a read fails (readAll cannot tell a failure from the end).
bool ReadDevice(QIODevice& device, QByteArray& bytes);
