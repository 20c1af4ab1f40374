#pragma once
#include "reports/RecordsetXml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class TTestProgramFolder;

// A file of the record-set fixtures that other writers made. They lie beside the repository,
// not in it: a checkout without them skips the tests that compare with them.
QString Fixture(const QString& name);
bool FixturesPresent();
#define SKIP_WITHOUT_FIXTURES()                                                                 \
    if (!FixturesPresent())                                                                     \
    GTEST_SKIP() << "record-set fixtures not found at " << Fixture(QString()).toStdString()
QByteArray FixtureBytes(const QString& name);

// What /usr/bin/python3 prints running script on a file of these bytes (its first argument);
// the error output when the script fails.
QString PythonOn(const QByteArray& file, const QString& script);

// An invoice row of SaleDetail: every column in the table's order, NULLs where the clerk
// leaves a field empty; the values are those exchange files must carry unchanged.
QVariantList InvoiceValues(const QString& point, const QString& issued, const QString& number, double total);
// Inserts rows through the database file directly (before the context opens it).
void InsertInvoice(const TTestProgramFolder& folder, const QVariantList& values);
void InsertRoll(const TTestProgramFolder& folder, const QString& point, const QString& received, const QString& first,
                const QString& current, int left);
// The company of an invoicing point: "是" head, "否" branch.
void InsertCompany(const TTestProgramFolder& folder, const QString& point, const QString& flag);

// Every row of a table, every column, in rowid order, as texts that tell NULL ("∅") from empty
// text and show doubles in full.
std::vector<QStringList> TableRows(const QString& table, const QString& where = {});
