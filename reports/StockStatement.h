#pragma once
#include "ReportMaking.h"

#include <QString>
#include <QStringList>
#include <array>

class TWorkbook;

// The monthly receipt-use-stock statement. Every invoicing point gets one block of rows for
// each range of numbers it held in the month (its opening stock, then the rolls it received):
// the range's copies, the numbers it used, handed back, voided or lost, and what is left. What
// is left is stored in qmkc under the month after, as that month's opening stock.

// corpName + "yyyy年MM月" + "机动车销售统一发票领用存报表.xlsx".
QString StockStatementFileName(const QString& corpName, const QString& month);
// AppPath + "template/机动车销售统一发票领用存报表.xlsx".
QString StockStatementTemplate();

// The six column groups, each a count column and a numbers column: B/C opening, D/E received,
// F/G used, H/I handed back, J/K voided or lost, L/M closing.
enum TStockGroup { sgOpening, sgReceived, sgUsed, sgHandedBack, sgVoidedOrLost, sgClosing, kStockGroups };
using TRowCounters = std::array<int, kStockGroups>;

int MaxOfArray(const TRowCounters& values);

// Ascending invoice numbers as runs "first-last", as stored: "-" for none; a new run where a
// number exceeds the one before it by more than one. Raises EConvertError for a number of a
// list of two or more that is not all digits.
QStringList FoldRuns(const QStringList& numbers);

// Inserts one closing-stock row; raises EDatabaseError "保存上期期末库存失败!" unless exactly one
// row went in.
void SaveClosingStock(const QString& ssrq, const QString& qzhm, const QString& kpdName, int fs);

// Writes the statement of month into book's first sheet and replaces the closing-stock rows
// of the month after, of every point, on the open transaction. Raises EDatabaseError,
// EConvertError or EWorkbookError; then the book and the transaction are half done.
void FillStockStatement(TWorkbook& book, const QString& month);

// The whole make: the statement filled from the template and its closing stock stored in one
// transaction, committed only once the workbook is saved whole beside folder + name, which is
// then replaced by it. A failure before the commit leaves qmkc and an earlier statement as
// they were. Raises as FillStockStatement.
void MakeStockStatement(const QString& folder, const QString& name, const QString& month);
