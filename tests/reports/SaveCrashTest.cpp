// A child process makes the 2,000-invoice list again and again and is killed at random moments
// of a save, timed by the saves it reports; the list on disk must always be a whole one.
#include "QtPrinters.h"
#include "ChildProgram.h"
#include "OpenpyxlReader.h"
#include "ProgramFolder.h"
#include "ReportTestData.h"
#include "core/Globals.h"
#include "reports/SaleList.h"
#include "workbook/TWorkbook.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
const char* const kChildVariable = "TALLYRA_LIST_CRASH_CHILD";
const QString kName = QStringLiteral("list.xlsx");
constexpr int kInvoices = 2000;  // one save well under a second

[[noreturn]] void SaveUntilKilled(const QString& folder)
{
    SetProgramFolder(folder);
    InitGlobals();
    for (;;) {
        TellParent("saving");
        try {
            MakeSaleList(folder + QStringLiteral("报表/"), kName, QStringLiteral("2026-02"), true);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "make failed: %s\n", e.what());
            std::_Exit(3);
        }
        TellParent("saved");
    }
}

// The list as a whole: every invoice row, the total row and the frame's last row.
QString Incomplete(const QString& file)
{
    try {
        TWorkbook book;
        book.Open(file);
        if (book.Value(kInvoices + 5, 1).text != QStringLiteral("合计"))
            return QStringLiteral("no total row");
        if (book.Value(kInvoices + 4, 3).text != QString::number(kInvoices).rightJustified(8, u'0') ||
            book.Value(5, 3).text != QLatin1String("00000001"))
            return QStringLiteral("invoice rows missing");
        const TSheetContent content = book.Content();
        if (content.rows != kInvoices + 5 || !content.looks[static_cast<size_t>(content.cells.back().look)].bottom)
            return QStringLiteral("frame incomplete");
    } catch (const EWorkbookError& e) {
        return e.Text();
    }
    return QString();
}
}  // namespace

TEST(SaleListCrash, AKilledSaveLeavesAWholeList)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        SaveUntilKilled(qEnvironmentVariable(kChildVariable));

    TTestProgramFolder folder;
    folder.Sql(HeadCompanySql() + ManySalesSql(QStringLiteral("2026-02"), kInvoices));
    const QString file = ReportFolder(folder) + kName;
    QRandomGenerator random(20260305);
    int killed = 0;
    constexpr int kRuns = 10;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        TChildProgram child(kChildVariable, folder.Path(), QStringLiteral("SaleListCrash.*"));
        ASSERT_TRUE(child.Start());
        // One whole save first, so that there is a list to lose, timed as the machine runs now;
        // then a kill at any moment of the next one.
        ASSERT_TRUE(child.WaitFor("saving")) << child.Errors();
        QElapsedTimer save;
        save.start();
        ASSERT_TRUE(child.WaitFor("saved")) << child.Errors();
        const qint64 took = save.elapsed();
        ASSERT_TRUE(child.WaitFor("saving")) << child.Errors();
        if (child.KillAfter(static_cast<int>(random.bounded(static_cast<quint32>(took * 5 / 4) + 1))))
            ++killed;
        ASSERT_TRUE(child.Ended());
        EXPECT_NE(child.ExitCode(), 3) << child.Errors();
        ASSERT_EQ(Incomplete(file), QString());
    }
    EXPECT_EQ(killed, kRuns);
    const QJsonObject sheet = ReadValuesWithOpenpyxl(file);
    EXPECT_EQ(OpenpyxlCell(sheet, CellName(kInvoices + 5, 1))["value"].toString(), QStringLiteral("合计"));
    EXPECT_EQ(OpenpyxlCell(sheet, CellName(kInvoices + 4, 3))["value"].toString(), QStringLiteral("00002000"));
    EXPECT_EQ(sheet["dimension"].toString(), QStringLiteral("A1:G2005"));
}
