// Damaged workbooks from tests/fixtures/hostile (and a few made here), read by the workbook
// layer as a clerk meets them in a report file or a template. The report window that shows and
// prints them is tested with the reports.
#include "QtPrinters.h"
#include "FileBytes.h"
#include "ProgramFolder.h"
#include "workbook/TWorkbook.h"
#include "workbook/WorkbookFormula.h"
#include "workbook/WorkbookPackage.h"

#include <QBuffer>
#include <functional>
#include <gtest/gtest.h>

namespace {
TWorkbook Opened(const QString& file)
{
    TWorkbook book;
    book.Open(file);
    return book;
}

// The chain fixture's package with its sheet's rows replaced by rows.
TWorkbook WithRows(const QByteArray& rows)
{
    const QString file = HostileFixture(QStringLiteral("wb_formula_chain5000.xlsx"));
    std::vector<TZipEntry> parts = ReadZip(FileBytes(file), file);
    for (TZipEntry& e : parts)
        if (e.name == "xl/worksheets/sheet1.xml")
            e.data = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows +
                     "</sheetData></worksheet>";
    QBuffer buffer;
    buffer.setData(WriteZip(parts, QString()));
    buffer.open(QIODevice::ReadOnly);
    TWorkbook book;
    book.Read(buffer, QStringLiteral("made.xlsx"));
    return book;
}

QString Nested(int levels)
{
    return QStringLiteral("=") + QStringLiteral("SUM(").repeated(levels) + u'7' + QString(u')').repeated(levels);
}

QString WorkbookError(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EWorkbookError& e) {
        return e.Reason();
    }
    return QStringLiteral("<no error>");
}
}  // namespace

TEST(HostileWorkbook, ARelationshipAboveThePackageRootIsRefused)
{
    EXPECT_EQ(WorkbookError([] { Opened(HostileFixture(QStringLiteral("wb_rels_target_dotdot.xlsx"))); }),
              QStringLiteral("工作簿的关系指向包外：../../../xl/workbook.xml"));
}

TEST(HostileWorkbook, SumsNestedPastSixtyFourLevelsAreNotComputedNorAStackOverflow)
{
    const QString file = HostileFixture(QStringLiteral("wb_formula_nested_sum.xlsx"));
    TWorkbook book = Opened(file);
    // Kept as read, as any formula of another kind: its text, and the value it stored (none).
    EXPECT_EQ(book.Formula(9, 1), Nested(100000).replace(u'7', u'1'));
    EXPECT_EQ(book.Value(9, 1).kind, TCellKind::Empty);
    EXPECT_EQ(book.Content().cells.size(), 9u);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    book.Write(out, QStringLiteral("again.xlsx"));
    out.close();
    out.open(QIODevice::ReadOnly);
    TWorkbook back;
    back.Read(out, QStringLiteral("again.xlsx"));
    EXPECT_EQ(back.Formula(9, 1).size(), 500002);

    // Sixty-four levels are computed; one more is refused and the cell keeps what it held.
    EXPECT_TRUE(ParseFormula(Nested(kMaxFormulaNesting).mid(1)).has_value());
    EXPECT_FALSE(ParseFormula(Nested(kMaxFormulaNesting + 1).mid(1)).has_value());
    book.SetFormula(10, 1, Nested(64));
    EXPECT_EQ(book.Value(10, 1).text, QStringLiteral("7"));
    EXPECT_THROW(book.SetFormula(10, 1, Nested(65)), EWorkbookError);
    EXPECT_EQ(book.Formula(10, 1), Nested(64));
}

TEST(HostileWorkbook, FiveThousandChainedFormulasHaveTheirValuesInReadingViewingAndWriting)
{
    const QString file = HostileFixture(QStringLiteral("wb_formula_chain5000.xlsx"));
    const TWorkbook book = Opened(file);
    EXPECT_EQ(book.Value(10, 1).text, QStringLiteral("5000"));
    const TSheetContent content = book.Content();
    int formulas = 0;
    for (const TSheetContent::TCell& c : content.cells)
        if (c.row >= 10) {
            ++formulas;
            EXPECT_EQ(c.value.kind, TCellKind::Number);
            EXPECT_EQ(c.value.number, 5010 - c.row);
        }
    EXPECT_EQ(formulas, 5000);

    TTestProgramFolder folder;
    TWorkbook copy = Opened(file);
    const QString saved = folder.File(QStringLiteral("报表/chain.xlsx"));
    copy.SaveAs(saved);
    QByteArray sheet;
    for (const TZipEntry& e : ReadZip(FileBytes(saved), saved))
        if (e.name == "xl/worksheets/sheet1.xml")
            sheet = e.data;
    EXPECT_TRUE(sheet.contains("<c r=\"A10\"><f>A11+1</f><v>5000</v></c>"));
    EXPECT_TRUE(sheet.contains("<c r=\"A5009\"><f>A5010+1</f><v>1</v></c>"));
    EXPECT_FALSE(sheet.contains("#REF!"));
}

// Past any limit, or round in a cycle: an error that names the cell, never a #REF! shown or saved.
TEST(HostileWorkbook, ACycleOrAChainPastTheLimitIsAnErrorNamingTheCell)
{
    const QByteArray cycleRows =
        "<row r=\"1\"><c r=\"A1\"><f>A2+1</f></c></row><row r=\"2\"><c r=\"A2\"><f>SUM(A1:A3)</f></c></row>";
    for (const auto& attempt :
         std::vector<std::function<void()>>{[&] { WithRows(cycleRows).Content(); }, [&] { WithRows(cycleRows).Value(1, 1); },
                                            [&] {
                                                QBuffer out;
                                                out.open(QIODevice::WriteOnly);
                                                WithRows(cycleRows).Write(out, QString());
                                            }}) {
        const QString error = WorkbookError(attempt);
        EXPECT_TRUE(error == QStringLiteral("A1 的公式循环引用") || error == QStringLiteral("A2 的公式循环引用"))
            << error.toStdString();
    }

    QByteArray rows;
    constexpr int kCells = 100001;
    for (int r = 1; r <= kCells; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\"><f>A" +
                QByteArray::number(r + 1) + "+1</f></c></row>";
    const TWorkbook deep = WithRows(rows);
    EXPECT_EQ(WorkbookError([&] { deep.Content(); }), QStringLiteral("A100001 的公式引用链超过100000层"));
    EXPECT_EQ(deep.Value(2, 1).text, QStringLiteral("100000")) << "one cell short of the limit";
}

TEST(HostileWorkbook, AMergeOverTheWholeSheetIsClippedToTheCells)
{
    const TSheetContent content = Opened(HostileFixture(QStringLiteral("wb_merge_A1-XFD1048576_print.xlsx"))).Content();
    EXPECT_EQ(content.rows, 4);
    EXPECT_EQ(content.columns, 7);
    ASSERT_EQ(content.merges.size(), 1u);
    EXPECT_EQ(content.merges[0].bottom, 4);
    EXPECT_EQ(content.merges[0].right, 7);
    EXPECT_EQ(content.columnWidths.size(), 7u);
}
