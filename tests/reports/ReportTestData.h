#pragma once
#include <QString>

class TTestProgramFolder;

// The head invoicing point "一店" of "甲汽车销售有限公司", taxpayer number 330100000000001.
QString HeadCompanySql();
// One stored invoice; amount and frame are SQL (NULL, 80000, '12.5').
QString SaleSql(const QString& kprq, const QString& code, const QString& number, const QString& state,
                const QString& amount = QStringLiteral("80000"), const QString& point = QStringLiteral("一店"),
                const QString& frame = QStringLiteral("'LVIN0000000000001'"));
// count normal invoices of code 144001900111, numbers from 00000001, issued in month.
QString ManySalesSql(const QString& month, int count);

// The list's template of the program folder and the report folder.
QString TemplateFile(const TTestProgramFolder& folder);
QString ReportFolder(const TTestProgramFolder& folder);
