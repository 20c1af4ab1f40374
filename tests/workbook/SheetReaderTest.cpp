// The sheet view's reader decodes a row only when it is shown: it must show exactly what the
// workbook reader reads, cell by cell, and refuse the same files with the same reasons.
#include "QtPrinters.h"
#include "FileBytes.h"
#include "ProgramFolder.h"
#include "workbook/TSheetView.h"
#include "workbook/TWorkbook.h"
#include "workbook/WorkbookPackage.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {
QString Golden(const QString& name) { return QStringLiteral(TALLYRA_WORKBOOK_GOLDEN "/source/") + name; }

QString LookText(const TCellLook& l)
{
    return QStringLiteral("%1/%2/%3/%4/%5/%6/%7%8%9%10")
        .arg(l.fontName)
        .arg(l.fontSize)
        .arg(l.bold)
        .arg(int(l.horizontal))
        .arg(int(l.vertical))
        .arg(l.wrap)
        .arg(l.left)
        .arg(l.right)
        .arg(l.top)
        .arg(l.bottom);
}

QString ValueText(const TCellValue& v)
{
    return QStringLiteral("%1:%2:%3").arg(int(v.kind)).arg(v.text).arg(v.number, 0, 'g', 17);
}

// Every position of the used range as the two readers give it, and the frame of the sheet.
void ExpectShownAsRead(const QByteArray& package, const char* what)
{
    SCOPED_TRACE(what);
    QBuffer a(const_cast<QByteArray*>(&package));
    a.open(QIODevice::ReadOnly);
    TWorkbook book;
    book.Read(a, QStringLiteral("book.xlsx"));
    const TSheetContent content = book.Content();
    QBuffer b(const_cast<QByteArray*>(&package));
    b.open(QIODevice::ReadOnly);
    TSheetReader reader;
    reader.Read(b, QStringLiteral("book.xlsx"));
    const TSheetContent& frame = reader.Frame();

    EXPECT_EQ(frame.rows, content.rows);
    EXPECT_EQ(frame.columns, content.columns);
    EXPECT_EQ(frame.columnWidths, content.columnWidths);
    EXPECT_EQ(frame.rowHeights, content.rowHeights);
    EXPECT_EQ(frame.defaultRowHeight, content.defaultRowHeight);
    ASSERT_EQ(frame.merges.size(), content.merges.size());
    for (size_t i = 0; i < frame.merges.size(); ++i)
        EXPECT_EQ(QStringLiteral("%1,%2,%3,%4")
                      .arg(frame.merges[i].top)
                      .arg(frame.merges[i].left)
                      .arg(frame.merges[i].bottom)
                      .arg(frame.merges[i].right),
                  QStringLiteral("%1,%2,%3,%4")
                      .arg(content.merges[i].top)
                      .arg(content.merges[i].left)
                      .arg(content.merges[i].bottom)
                      .arg(content.merges[i].right));
    EXPECT_EQ(frame.landscape, content.landscape);
    EXPECT_EQ(frame.paperSize, content.paperSize);
    EXPECT_EQ(frame.titleFirstRow, content.titleFirstRow);
    EXPECT_EQ(frame.titleLastRow, content.titleLastRow);
    EXPECT_EQ(frame.marginLeft, content.marginLeft);
    EXPECT_EQ(frame.centredHorizontally, content.centredHorizontally);
    ASSERT_FALSE(frame.looks.empty());
    EXPECT_EQ(LookText(frame.looks[0]), LookText(content.looks[0]));

    std::map<std::pair<int, int>, const TSheetContent::TCell*> cells;
    for (const TSheetContent::TCell& c : content.cells)
        cells[{c.row, c.column}] = &c;
    // Shown bottom up, as a view scrolled from the end asks.
    for (int row = content.rows; row >= 1; --row)
        for (int column = 1; column <= content.columns; ++column) {
            TCellValue value;
            TCellLook look;
            const bool shown = reader.Cell(row, column, value, look);
            const auto it = cells.find({row, column});
            ASSERT_EQ(shown, it != cells.end()) << row << "," << column;
            if (shown) {
                EXPECT_EQ(ValueText(value), ValueText(it->second->value)) << row << "," << column;
                EXPECT_EQ(LookText(look), LookText(content.looks[size_t(it->second->look)])) << row << "," << column;
            }
        }
}

// The template's parts with the sheet replaced.
QByteArray WithSheet(const QString& templateFile, const QByteArray& sheet)
{
    std::vector<TZipEntry> parts = ReadZip(FileBytes(templateFile), templateFile);
    for (TZipEntry& e : parts)
        if (e.name == "xl/worksheets/sheet1.xml")
            e.data = sheet;
    return WriteZip(parts, QString());
}

QByteArray Sheet(const QByteArray& rows)
{
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows +
           "</sheetData><mergeCells count=\"1\"><mergeCell ref=\"B9:D10\"/></mergeCells></worksheet>";
}
}  // namespace

TEST(SheetReader, ShowsEveryCellAsTheWorkbookReaderReadsIt)
{
    TTestProgramFolder folder;
    const QString templateFile = folder.File(QStringLiteral("template/机动车销售统一发票清单.xlsx"));

    // Another program's workbook: prefixes, shared strings, rich text, its own formula.
    std::vector<TZipEntry> foreign;
    for (const char* p : {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/styles.xml",
                          "xl/sharedStrings.xml", "xl/calcChain.xml", "xl/worksheets/other.xml", "xl/worksheets/sheet1.xml"})
        foreign.push_back({p, FileBytes(Golden(QString::fromLatin1(p)))});
    ExpectShownAsRead(WriteZip(foreign, QString()), "foreign");

    // Our own list and sums: styles from the template, formulas over ranges and over formulas.
    TWorkbook made;
    made.Open(templateFile);
    for (int r = 5; r < 45; ++r) {
        made.SetText(r, 1, QString::number(r - 4));
        made.SetText(r, 2, QStringLiteral("_x0041_ & <甲>"));
        made.SetNumber(r, 7, r * 1000.25);
    }
    made.SetFormula(45, 7, QStringLiteral("=SUM(G5:G44)"));
    made.SetFormula(46, 7, QStringLiteral("=G45-G5+G6"));
    made.SetBorders(4, 1, 46, 7);
    const QString file = folder.File(QStringLiteral("报表/made.xlsx"));
    made.SaveAs(file);
    ExpectShownAsRead(FileBytes(file), "made");

    // Rows out of order and named twice, cells without names or out of order, a cell named
    // twice, booleans, errors, formula text, sums over later rows.
    ExpectShownAsRead(
        WithSheet(templateFile,
                  Sheet(R"(<row r="3" ht="22" customHeight="1"><c r="C3" t="b"><v>1</v></c><c t="e"><v>#N/A</v></c></row>
<row r="1"><c r="B1" t="str"><v>x_x0042_</v></c><c r="A1"><v>1.5</v></c><c r="B1"><v>7</v></c></row>
<row><c><f>SUM(A3:C8)</f><v>0</v></c><c s="1" t="inlineStr"><is><t>后</t></is></c></row>
<row r="3" ht="0"><c r="F3"><f>A2+A8</f><v>0</v></c></row>
<row r="8" s="2" customFormat="1"><c r="A8"><v>2</v></c><c r="D8" s="3"/></row>
<row r="12"/>)")),
        "awkward");

    // A cycle: the workbook reader refuses the content, the view names the cell it meets it in.
    const QByteArray cycle =
        WithSheet(templateFile, Sheet(R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1"><f>SUM(A1:B2)</f></c></row>
<row r="2"><c r="B2"><f>B1+1</f></c></row>)"));
    QBuffer in(const_cast<QByteArray*>(&cycle));
    in.open(QIODevice::ReadOnly);
    TWorkbook book;
    book.Read(in, QStringLiteral("cycle.xlsx"));
    EXPECT_THROW(book.Content(), EWorkbookError);
    in.seek(0);
    TSheetReader reader;
    reader.Read(in, QStringLiteral("cycle.xlsx"));
    TCellValue value;
    TCellLook look;
    ASSERT_TRUE(reader.Cell(2, 2, value, look));
    EXPECT_EQ(value.kind, TCellKind::Error);
    EXPECT_TRUE(value.text.endsWith(QStringLiteral("的公式循环引用"))) << value.text.toStdString();
    ASSERT_TRUE(reader.Cell(1, 1, value, look));
    EXPECT_EQ(value.number, 1);
}

TEST(SheetReader, RefusesTheFilesTheWorkbookReaderRefusesForTheSameReason)
{
    TTestProgramFolder folder;
    const QString templateFile = folder.File(QStringLiteral("template/机动车销售统一发票清单.xlsx"));
    QString rows;
    for (int r = 1; r <= 500; ++r)
        rows += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"inlineStr\"><is><t>x</t></is></c></row>").arg(r);
    for (const QByteArray& last : {QByteArray("<row r=\"501\"><c r=\"B501\"><v>abc</v></c></row>"),
                                   QByteArray("<row r=\"501\"><c r=\"B-1\"><v>1</v></c></row>"),
                                   QByteArray("<row r=\"0\"><c><v>1</v></c></row>"), QByteArray("<row r=\"2000000\"/>")}) {
        const QByteArray package = WithSheet(templateFile, Sheet(rows.toUtf8() + last));
        QString workbookError, readerError;
        try {
            QBuffer in(const_cast<QByteArray*>(&package));
            in.open(QIODevice::ReadOnly);
            TWorkbook().Read(in, QStringLiteral("broken.xlsx"));
        } catch (const EWorkbookError& e) {
            workbookError = e.Text();
        }
        try {
            QBuffer in(const_cast<QByteArray*>(&package));
            in.open(QIODevice::ReadOnly);
            TSheetReader().Read(in, QStringLiteral("broken.xlsx"));
        } catch (const EWorkbookError& e) {
            readerError = e.Text();
        }
        EXPECT_FALSE(workbookError.isEmpty()) << last.constData();
        EXPECT_EQ(readerError, workbookError) << last.constData();
    }

    // The view says why, in place of the sheet.
    folder.WriteFile(QStringLiteral("报表/broken.xlsx"),
                     WithSheet(templateFile, Sheet(rows.toUtf8() + "<row r=\"501\"><c r=\"B501\"><v>abc</v></c></row>")));
    TSheetView view;
    EXPECT_FALSE(view.LoadFile(folder.File(QStringLiteral("报表/broken.xlsx"))));
    EXPECT_TRUE(view.ErrorText().contains(QStringLiteral("abc"))) << view.ErrorText().toStdString();
    EXPECT_EQ(view.SheetModel()->rowCount(), 0);
}
