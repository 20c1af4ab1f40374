#pragma once
#include "MainTestData.h"
#include "exchange/RecordsetXml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class TTestProgramFolder;

// The head invoicing point "一店" of "甲汽车销售有限公司", taxpayer number 330100000000001.
inline QString HeadCompanySql() { return CompanySql(QStringLiteral("是"), QStringLiteral("一店"), QStringLiteral("甲汽车销售有限公司")); }
// One stored invoice; amount and frame are SQL (NULL, 80000, '12.5').
QString SaleSql(const QString& kprq, const QString& code, const QString& number, const QString& state,
                const QString& amount = QStringLiteral("80000"), const QString& point = QStringLiteral("一店"),
                const QString& frame = QStringLiteral("'LVIN0000000000001'"));
// count normal invoices of code 144001900111, numbers from 00000001, issued in month.
QString ManySalesSql(const QString& month, int count);
// The report folder of the program folder.
QString ReportFolder(const TTestProgramFolder& folder);

// A file of the record-set fixtures that other writers made. They lie beside the repository,
// not in it: a checkout without them skips the tests that compare with them.
QString Fixture(const QString& name);
bool FixturesPresent();
#define SKIP_WITHOUT_FIXTURES()                                                                 \
    if (!FixturesPresent())                                                                     \
    GTEST_SKIP() << "record-set fixtures not found at " << Fixture(QString()).toStdString()
// The bytes of a file; "<missing>" when it cannot be read.
QByteArray FileBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);

// What the record-set writer writes of rs.
QByteArray RecordsetBytes(const TRecordset& rs);

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

// Every row of a table, every column, in rowid order, as texts that tell NULL ("∅") from empty
// text and show doubles in full.
std::vector<QStringList> TableRows(const QString& table, const QString& where = {});
