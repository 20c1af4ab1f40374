#include "StockReceipt.h"

#include "core/Errors.h"
#include "core/TADODB.h"

QString ReceiptDateTimeText(const QDate& day)
{
    return QDateTime(day, kReceiptTimeOfDay).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool RangeClashes(const QString& first, const QString& last, const QString& rollFirst, const QString& rollLast)
{
    return (rollFirst <= first && rollLast >= first) || (rollFirst <= last && rollLast >= last) ||
           (rollFirst >= first && rollLast <= last);
}

bool StoredRangeClashes(TADODB& database, const QString& code, const QString& first, const QString& last)
{
    // The same rule as RangeClashes, on every stored roll of the code.
    const QVariant n =
        database.Scalar(QStringLiteral("select count(*) from fpkcxx where fpdm = :code  and ((fphmq <=:first and fphmz>=:first) "
                                       "or  (fphmq <=:last and fphmz >=:last) or (fphmq>=:first and fphmz<=:last))"),
                        {{QStringLiteral("code"), code}, {QStringLiteral("first"), first}, {QStringLiteral("last"), last}});
    return n.toLongLong() > 0;
}
