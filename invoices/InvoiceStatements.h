#pragma once
#include "core/TADODB.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One list statement of the management and query windows: run with its values bound, logged
// with them quoted in.
struct TStatement {
    QString Sql;    // the values as :name placeholders
    TParams Params;
    QString Text;   // the statement as the log shows it
    QString Rows;   // "from ... where ..." of Sql
    QString Order;  // " order by ..." of Sql

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
TStatement SalesStatement(const QDate& first, const QDate& last, int state, const QString& vin,
                          const QString& number);
// Every point's rolls received from first to last inclusive.
TStatement StockStatement(const QDate& first, const QDate& last);

// Runs the statement on the program's connection; raises EDatabaseError.
QSqlQuery OpenStatement(const TStatement& statement, bool forwardOnly);
// The statement's rows read out whole, the statement let go; raises EDatabaseError.
TReadRows ReadStatement(const TStatement& statement);

// Whether an invoice issued at issued may still be voided at now: the two lie less than
// 30.4375 days apart, in either direction, whatever their calendar months.
bool VoidableAt(const QDateTime& issued, const QDateTime& now);
