#pragma once
#include "ExchangeTestData.h"
#include "FileBytes.h"
#include "MainTestData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

class TTestProgramFolder;

// The head invoicing point "一店" of "甲汽车销售有限公司", taxpayer number 330100000000001.
inline QString HeadCompanySql()
{
    return CompanySql(QStringLiteral("是"), QStringLiteral("一店"), QStringLiteral("甲汽车销售有限公司"));
}
// One stored invoice; amount and frame are SQL (NULL, 80000, '12.5').
QString SaleSql(const QString& kprq, const QString& code, const QString& number, const QString& state,
                const QString& amount = QStringLiteral("80000"), const QString& point = QStringLiteral("一店"),
                const QString& frame = QStringLiteral("'LVIN0000000000001'"));
// count normal invoices of code 144001900111, numbers from 00000001, issued in month.
QString ManySalesSql(const QString& month, int count);
// The report folder of the program folder.
QString ReportFolder(const TTestProgramFolder& folder);

// Inserts rows through the database file directly (before the context opens it).
void InsertInvoice(const TTestProgramFolder& folder, const QVariantList& values);
void InsertRoll(const TTestProgramFolder& folder, const QString& point, const QString& received, const QString& first,
                const QString& current, int left);

// A stored value as a text that tells NULL ("∅") from empty text and shows a double in full.
QString StoredText(const QVariant& v);
// Every row of a table, every column, in rowid order, as StoredText.
std::vector<QStringList> TableRows(const QString& table, const QString& where = {});
