#include "PubFun.h"

#include "Errors.h"
#include "TextCodec.h"

#include <QIODevice>

#include <charconv>
#include <cmath>

QString IfThenStr(bool condition, const QString& a, const QString& b) { return condition ? a : b; }

QString MoneyToChinese(double amount)
{
    static const QString table = QStringLiteral("零壹贰叁肆伍陆柒捌玖◇分角圆拾佰仟万拾佰仟亿拾佰仟万");
    constexpr double kLimit = 9999999999999.99;
    // The table covers fifteen digit positions; beyond them, in either sign, there is no text.
    if (std::isnan(amount) || std::fabs(amount) > kLimit)
        return QStringLiteral("溢出");

    const long long cents = std::llround(std::fabs(amount) * 100.0);
    if (cents == 0)
        return QStringLiteral("零");  // also for amounts that round to no cent at all

    const QString digits = QString::number(cents);
    QString r;
    bool previousZero = false;
    const int n = static_cast<int>(digits.size());
    for (int i = 1; i <= n; ++i) {
        const int d = digits.at(n - i).digitValue();
        const bool key = i == 1 || i == 3 || i == 7 || i == 11;
        QString digitPart = (d == 0 && (previousZero || key)) ? QString() : QString(table.at(d));
        QString unitPart = (d > 0 || key) ? QString(table.at(10 + i)) : QString();
        if (d == 0 && i == 1)
            unitPart = QStringLiteral("整");
        const QString zeroPart = (d == 0 && !previousZero && i > 1 && key) ? QStringLiteral("零") : QString();
        r = digitPart + unitPart + zeroPart + r;
        previousZero = d == 0;
    }
    r.replace(QStringLiteral("亿万"), QStringLiteral("亿"));
    if (amount < 0)
        r = QStringLiteral("(负数)") + r;
    return r;
}

namespace {
qint64 ParseDecimal(const QString& text, const QString& whole)
{
    bool ok = IsDigits(text);
    const qint64 v = ok ? text.toLongLong(&ok) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid invoice number").arg(whole));
    return v;
}
}  // namespace

QString IncInvoiceNo(const QString& number, int step)
{
    const QString tail = number.right(9);
    const qint64 next = ParseDecimal(tail, number) + step;
    QString s = QString::number(next);
    while (s.size() < tail.size())
        s.prepend(u'0');
    return number.left(number.size() - tail.size()) + s;
}

qint32 InvoiceCount(const QString& first, const QString& last)
{
    const QString f = first.right(12);
    const QString l = last.right(12);
    if (f.isEmpty() || l.isEmpty())
        return -1;
    const qint64 count = ParseDecimal(l, last) - ParseDecimal(f, first) + 1;
    return static_cast<qint32>(static_cast<quint32>(count));  // wraps as a 32-bit count
}

QString QuotedStr(const QString& text)
{
    QString s = text;
    s.replace(u'\'', QStringLiteral("''"));
    return u'\'' + s + u'\'';
}

QString PreviousMonthKey(const QDateTime& t) { return t.date().addMonths(-1).toString(QStringLiteral("yyyy-MM")); }

int StrictToInt(const QString& text)
{
    bool ok = false;
    const int value = IsDigits(text) ? text.toInt(&ok) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

bool ReadDevice(QIODevice& device, QByteArray& bytes)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        return false;
    char buffer[16384];
    for (;;) {
        const qint64 n = device.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

QString FormatAmount(double value)
{
    char buffer[400];  // the longest double in fixed form has 309 digits before the point
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    QString text = ec == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QStringLiteral("0.00");
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text.rightJustified(10, u' ');
}
