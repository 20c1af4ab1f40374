#include "InvoiceStatements.h"

#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TextCodec.h"

#include <QSqlQuery>
#include <algorithm>
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
    TStatement Statement(const QString& table, const QStringList& orderColumns) const
    {
        const QString order = QStringLiteral(" order by ") + orderColumns.join(u',');
        const QString rows = QStringLiteral("from ") + table + QStringLiteral(" where ") + m_sql;
        return {QStringLiteral("select * ") + rows + order,
                m_params,
                QStringLiteral("select * from ") + table + QStringLiteral(" where ") + m_text + order,
                rows,
                order,
                table,
                m_sql,
                orderColumns};
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
    return w.Statement(QStringLiteral("SaleDetail"), {QStringLiteral("kprq"), QStringLiteral("fpdm"), QStringLiteral("fphm")});
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
    return w.Statement(QStringLiteral("SaleDetail"), {QStringLiteral("fpdm"), QStringLiteral("fphm")});
}

TStatement StockStatement(const QDate& first, const QDate& last)
{
    TWhere w;
    DayRange(w, QStringLiteral("lyrq"), first, last);
    return w.Statement(QStringLiteral("fpkcxx"), {QStringLiteral("lyrq"), QStringLiteral("fpdm"), QStringLiteral("fphmq")});
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

TBlockRead::TBlockRead(TStatement statement, int firstBlock, int block)
    : m_statement(std::move(statement)), m_firstBlock(std::max(1, firstBlock)), m_block(std::max(1, block))
{
}

TReadRows TBlockRead::Start(int& count)
{
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    m_key.clear();
    m_done = false;
    // One read for both, so that the count line and the rows agree.
    TReadRows rows;
    const auto read = [&] {
        const TReadRows counted = DataBase->ReadRows(QStringLiteral("select count(*) ") + m_statement.Rows, m_statement.Params);
        count = int(counted.Value(0, 0).toLongLong());
        rows = Read(m_firstBlock);
    };
    if (DataBase->InTransaction())
        read();
    else
        DataBase->RunInTransaction(read);
    return rows;
}

TReadRows TBlockRead::Next()
{
    if (m_done)
        return {};
    if (!DataBase)
        throw EDatabaseError(QStringLiteral("数据库未连接"));
    return Read(m_block);
}

TReadRows TBlockRead::Read(int limit)
{
    const QStringList& columns = m_statement.OrderColumns;
    QString sql = QStringLiteral("select *, rowid from ") + m_statement.Table + QStringLiteral(" where ");
    TParams params = m_statement.Params;
    if (!m_key.isEmpty()) {
        for (int i = 0; i < m_key.size(); ++i)
            params.insert(QStringLiteral("k%1").arg(i), m_key[i]);
        // The bound on the first order column comes first: the planner takes it for the range
        // of its index rather than the statement's own, so a block starts where the last ended.
        if (!columns.isEmpty() && !m_key[0].isNull())
            sql += columns[0] + QStringLiteral(" >= :k0 and ");
    }
    sql += u'(' + m_statement.Where + u')';
    if (!m_key.isEmpty()) {
        // After the key in the order: NULL first, then by value; equal (IS) in a column goes on
        // to the next one, the rowid last.
        QString after = QStringLiteral("rowid > :k%1").arg(columns.size());
        for (int i = int(columns.size()) - 1; i >= 0; --i) {
            const QString c = columns[i], k = QStringLiteral(":k%1").arg(i);
            after = u'(' + c + u'>' + k + QStringLiteral(" or (") + k + QStringLiteral(" is null and ") + c +
                    QStringLiteral(" is not null) or (") + c + QStringLiteral(" is ") + k + QStringLiteral(" and ") + after +
                    QStringLiteral("))");
        }
        sql += QStringLiteral(" and ") + after;
    }
    sql += QStringLiteral(" order by ") + (QStringList(columns) << QStringLiteral("rowid")).join(u',') +
           QStringLiteral(" limit ") + QString::number(limit);
    TReadRows rows = DataBase->ReadRows(sql, params);
    if (rows.RowCount() < limit)
        m_done = true;
    if (rows.RowCount() > 0) {
        const int last = rows.RowCount() - 1;
        m_key.clear();
        for (const QString& c : columns)
            m_key << rows.Value(last, rows.FieldIndex(c));
        m_key << rows.Value(last, rows.ColumnCount() - 1);
    }
    rows.DropTrailingFields(1);
    return rows;
}

bool VoidableAt(const QDateTime& issued, const QDateTime& now)
{
    // Wall-clock days, as the stored texts count them: no time-zone shift comes between.
    const double seconds = double(issued.date().daysTo(now.date())) * 86400.0 + issued.time().secsTo(now.time());
    return std::trunc(std::fabs(seconds) / 86400.0 / 30.4375) == 0;
}
