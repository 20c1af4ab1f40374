#include "InvoiceStatements.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TextCodec.h"

#include <QSqlQuery>
#include <cmath>

namespace {
// The where clause of a statement, built once for the bound statement and its logged text.
class TWhere {
public:
    TWhere& operator<<(const QString& piece)
    {
        m_sql += piece;
        m_text += piece;
        return *this;
    }
    TWhere& Value(const QString& value)
    {
        const QString name = QStringLiteral("v%1").arg(m_params.size());
        m_sql += u':' + name;
        m_text += QuotedStr(value);
        m_params.insert(name, TextParam(value));
        return *this;
    }
    TStatement Statement(const QString& table, const QString& order) const
    {
        const QString rows = QStringLiteral("from ") + table + QStringLiteral(" where ") + m_sql;
        return {QStringLiteral("select * ") + rows + order, m_params,
                QStringLiteral("select * from ") + table + QStringLiteral(" where ") + m_text + order, rows, order};
    }

private:
    QString m_sql;
    QString m_text;
    TParams m_params;
};

QString DayStart(const QDate& day) { return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"); }

// "column >=" first day " and column <" the day after the last, both at 00:00:00.
TWhere& DayRange(TWhere& w, const QString& column, const QDate& first, const QDate& last)
{
    w << column << QStringLiteral(" >=");
    w.Value(DayStart(first)) << QStringLiteral(" and ") << column << QStringLiteral(" <");
    return w.Value(DayStart(last.addDays(1)));
}
}  // namespace

TStatement IssuedInvoicesStatement(const QDate& first, const QDate& last, const QString& number, const QString& vin,
                                   const QString& point)
{
    TWhere w;
    w << QStringLiteral("((fpzt= '0'  or fpzt = '2')  and kpdName =");
    w.Value(point) << QStringLiteral(" and ");
    DayRange(w, QStringLiteral("kprq"), first, last) << QStringLiteral(")");
    if (!TrimBlanks(number).isEmpty())
        (w << QStringLiteral(" and fphm = ")).Value(number);
    if (!TrimBlanks(vin).isEmpty())
        (w << QStringLiteral(" and cjhm = ")).Value(vin);
    return w.Statement(QStringLiteral("SaleDetail"), QStringLiteral(" order by kprq,fpdm,fphm"));
}

TStatement SalesStatement(const QDate& first, const QDate& last, int state, const QString& vin, const QString& number)
{
    TWhere w;
    DayRange(w, QStringLiteral("kprq"), first, last);
    if (state >= 0 && state <= 4)
        (w << QStringLiteral(" and fpzt=")).Value(QString::number(state));
    if (const QString v = TrimBlanks(vin); !v.isEmpty())
        (w << QStringLiteral(" and cjhm = ")).Value(v);
    if (const QString n = TrimBlanks(number); !n.isEmpty())
        (w << QStringLiteral(" and fphm = ")).Value(n);
    return w.Statement(QStringLiteral("SaleDetail"), QStringLiteral(" order by fpdm,fphm"));
}

TStatement StockStatement(const QDate& first, const QDate& last)
{
    TWhere w;
    DayRange(w, QStringLiteral("lyrq"), first, last);
    return w.Statement(QStringLiteral("fpkcxx"), QStringLiteral(" order by lyrq,fpdm,fphmq"));
}

QSqlQuery OpenStatement(const TStatement& statement, bool forwardOnly)
{
    if (!DataBase || !DataBase->Connected())
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    QSqlQuery q(DataBase->Connection());
    q.setForwardOnly(forwardOnly);
    if (!DataBase->Execute(q, statement.Sql, statement.Params))
        throw EDatabaseError(DataBase->LastErrorText());
    return q;
}

TReadRows ReadStatement(const TStatement& statement)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    return DataBase->ReadRows(statement.Sql, statement.Params);
}

bool VoidableAt(const QDateTime& issued, const QDateTime& now)
{
    // Wall-clock days, as the stored texts count them: no time-zone shift comes between.
    const double seconds = double(issued.date().daysTo(now.date())) * 86400.0 + issued.time().secsTo(now.time());
    return std::trunc(std::fabs(seconds) / 86400.0 / 30.4375) == 0;
}
