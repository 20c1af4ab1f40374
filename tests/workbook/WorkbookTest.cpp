#include "QtPrinters.h"
#include "FailingDevice.h"
#include "FileBytes.h"
#include "OpenpyxlReader.h"
#include "ProgramFolder.h"
#include "workbook/TWorkbook.h"
#include "workbook/WorkbookPackage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
const QString kTemplate = QStringLiteral("template/机动车销售统一发票清单.xlsx");

QByteArray Part(const QString& file, const char* name)
{
    for (const TZipEntry& e : ReadZip(FileBytes(file), file))
        if (e.name == name)
            return e.data;
    return {};
}

class Workbook : public ::testing::Test {
protected:
    QString Template() const { return folder.File(kTemplate); }
    QString Saved(TWorkbook& book, const QString& name = QStringLiteral("saved.xlsx")) const
    {
        const QString file = folder.File(QStringLiteral("报表/") + name);
        book.SaveAs(file);
        return file;
    }
    TWorkbook Opened(const QString& file) const
    {
        TWorkbook book;
        book.Open(file);
        return book;
    }
    TTestProgramFolder folder;
};
}  // namespace

TEST_F(Workbook, TextNumbersAndFormulasReadBackTheSameByBothReaders)
{
    const QByteArray templateBytes = folder.ReadFile(kTemplate);
    TWorkbook book = Opened(Template());
    const QString tricky = QStringLiteral("A&B <c> 'd' \"e\" 甲");
    book.SetText(5, 2, QStringLiteral("00000001"));
    book.SetText(5, 3, QStringLiteral("  两个 空格  "));
    book.SetText(5, 4, QStringLiteral("=1+1"));
    book.SetText(5, 5, tricky);
    book.SetText(5, 6,
                 QStringLiteral("a\x01"
                                "b\rc"));
    book.SetText(5, 7, QStringLiteral("      0.00"));
    book.SetText(6, 2, QStringLiteral("_x0041_"));
    book.SetNumber(6, 1, 80);
    book.SetNumber(6, 3, 0.1);
    book.SetNumber(6, 4, -2.5);
    book.SetFormula(6, 5, QStringLiteral("=SUM(A6,C6:D6)"));
    const QString file = Saved(book);

    const TWorkbook back = Opened(file);
    const QJsonObject s = ReadWithOpenpyxl(file);
    ASSERT_FALSE(s.isEmpty());
    // Each cell as our reader reads it, and as openpyxl does (value and type).
    const struct {
        int row, column;
        TCellKind kind;
        QString ours, theirs;
        const char* type;
    } cells[] = {
        {5, 2, TCellKind::Text, QStringLiteral("00000001"), QStringLiteral("00000001"), "s"},
        {5, 3, TCellKind::Text, QStringLiteral("  两个 空格  "), QStringLiteral("  两个 空格  "), "s"},
        {5, 4, TCellKind::Text, QStringLiteral("=1+1"), QStringLiteral("=1+1"), "s"},
        {5, 5, TCellKind::Text, tricky, tricky, "s"},
        {5, 6, TCellKind::Text,
         QStringLiteral("a\x01"
                        "b\rc"),
         QStringLiteral("a_x0001_b_x000D_c"), "s"},
        {5, 7, TCellKind::Text, QStringLiteral("      0.00"), QStringLiteral("      0.00"), "s"},
        {6, 2, TCellKind::Text, QStringLiteral("_x0041_"), QStringLiteral("_x005F_x0041_"), "s"},  // openpyxl keeps "_" escaped
        {6, 1, TCellKind::Number, QStringLiteral("80"), QStringLiteral("80"), "n"},
        {6, 3, TCellKind::Number, QStringLiteral("0.1"), QStringLiteral("0.1"), "n"},
        {6, 4, TCellKind::Number, QStringLiteral("-2.5"), QStringLiteral("-2.5"), "n"},
        {6, 5, TCellKind::Number, QStringLiteral("77.6"), QStringLiteral("=SUM(A6,C6:D6)"), "f"},
    };
    for (const auto& c : cells) {
        const QString name = CellName(c.row, c.column);
        EXPECT_EQ(back.Value(c.row, c.column).text, c.ours) << name.toStdString();
        EXPECT_EQ(back.Value(c.row, c.column).kind, c.kind) << name.toStdString();
        EXPECT_EQ(OpenpyxlCell(s, name)["value"].toVariant().toString(), c.theirs) << name.toStdString();
        EXPECT_EQ(OpenpyxlCell(s, name)["type"].toString(), QString::fromLatin1(c.type)) << name.toStdString();
    }
    EXPECT_EQ(back.Formula(6, 5), QStringLiteral("=SUM(A6,C6:D6)"));
    EXPECT_DOUBLE_EQ(OpenpyxlCell(s, QStringLiteral("E6"))["cached"].toDouble(), 77.6);
    EXPECT_EQ(back.Value(1, 1).text, QStringLiteral("机动车销售统一发票清单"));  // the template's own
    EXPECT_TRUE(s["full_calc_on_load"].toBool());
    // What the template brought stays.
    EXPECT_EQ(s["dimension"].toString(), QStringLiteral("A1:G6"));
    EXPECT_EQ(s["merges"].toArray().toVariantList(),
              QVariantList({QStringLiteral("A1:G1"), QStringLiteral("A3:C3"), QStringLiteral("D3:E3"), QStringLiteral("F3:G3")}));
    EXPECT_EQ(s["widths"].toObject()["D"].toDouble(), 30);
    EXPECT_EQ(s["print_titles"].toString(), QStringLiteral("1:4"));
    EXPECT_EQ(s["paper"].toInt(), 9);
    EXPECT_TRUE(OpenpyxlCell(s, QStringLiteral("A4"))["bold"].toBool());
    EXPECT_EQ(folder.ReadFile(kTemplate), templateBytes);
}

TEST_F(Workbook, CellsWrittenOutOfOrderAreSavedSortedWithTheirColumnsStyle)
{
    TWorkbook book = Opened(Template());
    book.SetText(20, 7, QStringLiteral("z"));
    book.SetText(8, 3, QStringLiteral("c"));
    book.SetText(8, 1, QStringLiteral("a"));
    book.SetNumber(8, 2, 2);
    book.SetText(12, 1, QStringLiteral("m"));
    book.SetText(8, 3, QStringLiteral("c2"));  // rewritten in place
    const QString file = Saved(book);

    const QString xml = QString::fromUtf8(Part(file, "xl/worksheets/sheet1.xml"));
    QStringList order;
    static const QRegularExpression ref(QStringLiteral("<(?:row|c) r=\"([A-Z]*\\d+)\""));
    for (auto m = ref.globalMatch(xml); m.hasNext();)
        order << m.next().captured(1);
    EXPECT_EQ(order.join(u' '), QStringLiteral("1 A1 2 3 4 A4 B4 C4 D4 E4 F4 G4 8 A8 B8 C8 12 A12 20 G20"));
    EXPECT_TRUE(xml.contains(QStringLiteral("<dimension ref=\"A1:G20\"/>")));

    const QJsonObject s = ReadWithOpenpyxl(file);
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("C8"))["value"].toString(), QStringLiteral("c2"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("C8"))["format"].toString(), QStringLiteral("@"));  // column C is text
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A8"))["format"].toString(), QStringLiteral("General"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("G20"))["value"].toString(), QStringLiteral("z"));
}

TEST_F(Workbook, BordersFrameStyledAndMissingCellsAndCloneEachFormatOnce)
{
    const auto xfCount = [](const QByteArray& styles) {
        static const QRegularExpression count(QStringLiteral("<cellXfs count=\"(\\d+)\""));
        return count.match(QString::fromUtf8(styles)).captured(1).toInt();
    };
    const int before = xfCount(Part(Template(), "xl/styles.xml"));
    TWorkbook book = Opened(Template());
    book.SetText(5, 2, QStringLiteral("144001900111"));
    book.SetBorders(QStringLiteral("A4"), QStringLiteral("G8"));
    book.SetBorders(QStringLiteral("G8"), QStringLiteral("A4"));  // the same frame again changes nothing
    const QString file = Saved(book);

    // The headings' format, and the three column formats (plain, text, right-aligned).
    EXPECT_EQ(xfCount(Part(file, "xl/styles.xml")), before + 4);
    const QJsonObject s = ReadWithOpenpyxl(file);
    for (int r = 4; r <= 8; ++r)
        for (int c = 1; c <= 7; ++c)
            EXPECT_EQ(OpenpyxlCell(s, CellName(r, c))["borders"].toString(), QStringLiteral("LRTB"))
                << CellName(r, c).toStdString();
    EXPECT_TRUE(OpenpyxlCell(s, QStringLiteral("B4"))["bold"].toBool());
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("B5"))["format"].toString(), QStringLiteral("@"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("B5"))["value"].toString(), QStringLiteral("144001900111"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("A9"))["borders"].toString(), QString());
    EXPECT_EQ(s["dimension"].toString(), QStringLiteral("A1:G8"));
    const TSheetContent content = Opened(file).Content();
    EXPECT_EQ(content.rows, 8);
    EXPECT_EQ(content.titleLastRow, 4);
}

TEST_F(Workbook, FormulasAreComputedHereAndFollowTheirCells)
{
    TWorkbook book = Opened(Template());
    // A block of the monthly statement: opening 100, used 17, handed back 1, voided 2.
    book.SetNumber(8, 2, 100);
    book.SetNumber(8, 6, 17);
    book.SetNumber(8, 8, 1);
    book.SetNumber(8, 10, 2);
    book.SetFormula(8, 12, QStringLiteral("=SUM(B8+D8-F8-H8-J8)"));
    book.SetFormula(9, 12, QStringLiteral("=SUM(B9+D9-F9-H9-J9)"));
    book.SetFormula(7, 12, QStringLiteral("=SUM(L8:L12)"));
    EXPECT_EQ(book.Value(8, 12).text, QStringLiteral("80"));
    EXPECT_EQ(book.Value(8, 12).kind, TCellKind::Number);
    EXPECT_EQ(book.Value(9, 12).text, QStringLiteral("0"));
    EXPECT_EQ(book.Value(7, 12).text, QStringLiteral("80"));

    book.SetNumber(8, 14, 100);
    book.SetText(9, 14, QStringLiteral("100"));  // text: skipped in a range, an error as an operand
    book.SetFormula(10, 14, QStringLiteral("=SUM(N8:N9, 5, -1.5)"));
    book.SetFormula(11, 14, QStringLiteral("=N9+1"));
    book.SetFormula(12, 14, QStringLiteral("=SUM(N11:N11)+N8"));
    EXPECT_EQ(book.Value(10, 14).text, QStringLiteral("103.5"));
    EXPECT_EQ(book.Value(11, 14).text, QStringLiteral("#VALUE!"));
    EXPECT_EQ(book.Value(11, 14).kind, TCellKind::Error);
    EXPECT_EQ(book.Value(12, 14).text, QStringLiteral("#VALUE!"));

    book.SetNumber(8, 2, 90);  // values follow their cells
    EXPECT_EQ(book.Value(8, 12).text, QStringLiteral("70"));
    EXPECT_EQ(book.Value(7, 12).text, QStringLiteral("70"));

    // Cycles and formulas of other kinds are refused; the cell keeps what it held.
    EXPECT_THROW(book.SetFormula(8, 2, QStringLiteral("=SUM(L7)")), EWorkbookError);
    EXPECT_THROW(book.SetFormula(8, 12, QStringLiteral("=L8+1")), EWorkbookError);
    for (const char* other : {"=AVERAGE(B8:B9)", "=B8*2", "SUM(B8)", "=SUM(B8", "=SUM()", "=Sheet2!A1", "=ZZZZ1"})
        EXPECT_THROW(book.SetFormula(8, 2, QString::fromLatin1(other)), EWorkbookError) << other;
    EXPECT_EQ(book.Value(8, 2).text, QStringLiteral("90"));
    EXPECT_EQ(book.Formula(8, 12), QStringLiteral("=SUM(B8+D8-F8-H8-J8)"));
    EXPECT_EQ(book.Value(8, 12).text, QStringLiteral("70"));

    const QString file = Saved(book);
    EXPECT_EQ(Opened(file).Value(7, 12).text, QStringLiteral("70"));
    const QJsonObject s = ReadWithOpenpyxl(file);
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("L8"))["cached"].toInt(), 70);
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("L7"))["value"].toString(), QStringLiteral("=SUM(L8:L12)"));
    EXPECT_EQ(OpenpyxlCell(s, QStringLiteral("N11"))["cached"].toString(), QStringLiteral("#VALUE!"));
}

TEST_F(Workbook, UnreadableFilesAndFailedWritesRaise)
{
    TWorkbook book;
    folder.WriteFile(QStringLiteral("报表/text.xlsx"), "not a workbook");
    EXPECT_THROW(book.Open(folder.File(QStringLiteral("报表/text.xlsx"))), EWorkbookError);
    EXPECT_THROW(book.Open(folder.File(QStringLiteral("报表/missing.xlsx"))), EWorkbookError);

    const std::vector<TZipEntry> parts = ReadZip(FileBytes(Template()), Template());
    auto without = [&parts](const char* name, const QByteArray& replacement) {
        std::vector<TZipEntry> changed;
        for (const TZipEntry& e : parts)
            if (e.name != name)
                changed.push_back(e);
            else if (!replacement.isEmpty())
                changed.push_back({e.name, replacement});
        return WriteZip(changed, QString());
    };
    for (const QByteArray& broken :
         {without("xl/workbook.xml", {}), without("xl/worksheets/sheet1.xml", {}),
          without("xl/worksheets/sheet1.xml", "<worksheet><sheetData>"), without("xl/worksheets/sheet1.xml", "<worksheet/>")}) {
        QBuffer buffer;
        buffer.setData(broken);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_THROW(book.Read(buffer, QStringLiteral("broken.xlsx")), EWorkbookError);
    }

    book.Open(Template());
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    book.Write(whole, QStringLiteral("whole"));
    for (qint64 limit : {qint64(0), qint64(100), whole.size() - 1}) {
        TFailingDevice device({}, limit);
        device.open(QIODevice::WriteOnly);
        EXPECT_THROW(book.Write(device, QStringLiteral("full disk")), EWorkbookError) << limit;
    }
    EXPECT_THROW(book.SaveAs(folder.File(QStringLiteral("no-such-folder/x.xlsx"))), EWorkbookError);
    EXPECT_THROW(book.SetNumber(5, 1, std::nan("")), EWorkbookError);
}

namespace {
QString Golden(const QString& name) { return QStringLiteral(TALLYRA_WORKBOOK_GOLDEN "/") + name; }

// The parts of golden/source as a zip, content types first.
QByteArray SourcePackage(const QStringList& parts)
{
    std::vector<TZipEntry> entries;
    for (const QString& p : parts)
        entries.push_back({p.toUtf8(), FileBytes(Golden(QStringLiteral("source/") + p))});
    return WriteZip(entries, QString());
}
}  // namespace

// A workbook another program wrote (prefixed elements, shared strings, rich text, a formula of
// its own, a calculation chain, its first sheet not the first relationship): edited and
// written, every part is what the golden files hold, and what was not touched stays.
TEST(WorkbookGolden, AForeignWorkbookEditedKeepsWhatItHadAndWritesTheGoldenParts)
{
    const QStringList parts{QStringLiteral("[Content_Types].xml"),     QStringLiteral("_rels/.rels"),
                            QStringLiteral("xl/workbook.xml"),         QStringLiteral("xl/_rels/workbook.xml.rels"),
                            QStringLiteral("xl/styles.xml"),           QStringLiteral("xl/sharedStrings.xml"),
                            QStringLiteral("xl/calcChain.xml"),        QStringLiteral("xl/worksheets/other.xml"),
                            QStringLiteral("xl/worksheets/sheet1.xml")};
    QBuffer in;
    in.setData(SourcePackage(parts));
    in.open(QIODevice::ReadOnly);
    TWorkbook book;
    book.Read(in, QStringLiteral("foreign.xlsx"));
    EXPECT_EQ(book.Value(1, 1).text, QStringLiteral("共享"));
    EXPECT_EQ(book.Value(1, 2).text, QStringLiteral("分段\n"));
    EXPECT_EQ(book.Value(1, 3).text, QStringLiteral("富 文本"));
    EXPECT_EQ(book.Value(2, 2).text, QStringLiteral("5"));  // its own formula: the value it stored
    EXPECT_EQ(book.Formula(2, 2), QStringLiteral("=A2*2"));

    book.SetText(3, 2, QStringLiteral("新"));
    book.SetNumber(4, 1, 7);
    book.SetFormula(3, 1, QStringLiteral("=SUM(A2,A4)"));
    book.SetBorders(QStringLiteral("A1"), QStringLiteral("B1"));
    EXPECT_EQ(book.Value(3, 1).text, QStringLiteral("9.5"));
    const TSheetContent content = book.Content();
    EXPECT_EQ(content.titleLastRow, 2);
    EXPECT_TRUE(content.looks[static_cast<size_t>(content.cells.front().look)].bold);

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    book.Write(out, QStringLiteral("written.xlsx"));
    const std::vector<TZipEntry> written = ReadZip(out.data(), QStringLiteral("written.xlsx"));
    QStringList names;
    for (const TZipEntry& e : written) {
        const QString name = QString::fromUtf8(e.name);
        names << name;
        const QString golden = Golden(QStringLiteral("written/") + QString(name).replace(u'/', u'_'));
        if (qEnvironmentVariableIsSet("TALLYRA_WRITE_GOLDEN") && QFile::exists(golden)) {
            QFile f(golden);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(e.data);
        }
        const QByteArray expected =
            QFile::exists(golden) ? FileBytes(golden) : FileBytes(Golden(QStringLiteral("source/") + name));
        EXPECT_EQ(e.data, expected) << name.toStdString();
    }
    QStringList kept = parts;
    kept.removeAll(QStringLiteral("xl/calcChain.xml"));
    EXPECT_EQ(names, kept);
}
