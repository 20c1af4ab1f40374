#pragma once
#include "core/TADODB.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One list statement of the management and query windows: run with its values bound, logged
// with them quoted in.
struct TStatement {
    QString Sql;  // the values as :name placeholders
    TParams Params;
    QString Text;   // the statement as the log shows it
    QString Rows;   // "from ... where ..." of Sql
    QString Order;  // " order by ..." of Sql
    QString Table;
    QString Where;             // the condition of Sql, values as placeholders
    QStringList OrderColumns;  // the columns of Order, each ascending

    // The same rows in the same order with only these fields.
    QString SelectOf(const QStringList& fields) const
    {
        return QStringLiteral("select ") + fields.join(u',') + u' ' + Rows + Order;
    }
};

// This point's valid invoices (normal and negative) issued from first to last inclusive; number
// and vin narrow it when not blank, matched as typed.
TStatement IssuedInvoicesStatement(const QDate& first, const QDate& last, const QString& number, const QString& vin,
                                   const QString& point);
// Every point's invoice rows of the days, in one state (0..4; any other value: all states);
// vin and number trimmed, each narrowing it when not empty.
TStatement SalesStatement(const QDate& first, const QDate& last, int state, const QString& vin, const QString& number);
// Every point's rolls received from first to last inclusive.
TStatement StockStatement(const QDate& first, const QDate& last);

// Runs the statement on the program's connection; raises EDatabaseError.
QSqlQuery OpenStatement(const TStatement& statement, bool forwardOnly);
// The statement's rows read out whole, the statement let go; raises EDatabaseError.
TReadRows ReadStatement(const TStatement& statement);

// A list statement read a block at a time, each block in a short read of its own, so that no
// read stays open between blocks. Blocks follow one another by the order columns and the
// rowid, not by a row offset: rows another connection stores or changes between blocks never
// make a row repeat or drop out of the rest.
class TBlockRead {
public:
    TBlockRead(TStatement statement, int firstBlock, int block);
    // The statement's row count and its first rows, both of one moment. Raises EDatabaseError.
    TReadRows Start(int& count);
    // The next block; none when the statement is read to its end. Raises EDatabaseError.
    TReadRows Next();
    bool Done() const { return m_done; }

private:
    TReadRows Read(int rows);

    TStatement m_statement;
    int m_firstBlock;
    int m_block;
    QVariantList m_key;  // the order columns and rowid of the last row read; empty before the first
    bool m_done = false;
};

// Whether an invoice issued at issued may still be voided at now: the two lie less than
// 30.4375 days apart, in either direction, whatever their calendar months.
bool VoidableAt(const QDateTime& issued, const QDateTime& now);
