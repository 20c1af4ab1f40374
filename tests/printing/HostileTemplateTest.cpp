// Print templates from outside (the file "PrintTemplate.xml", or what a template holds): fed
// from tests/fixtures/hostile, or made here where the file would be large.
#include "FakePrintDevice.h"
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "printing/PrintInvoice.h"
#include "printing/TPrintTemplate.h"

#include <QBuffer>
#include <climits>
#include <functional>
#include <gtest/gtest.h>

namespace {
bool Load(TPrintTemplate& t, const QByteArray& bytes, QString* why)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return t.LoadFromXML(buffer, why);
}

// The template in the database before the start: one item, "在用".
const QString kStoredTemplate = QStringLiteral(
    "insert into PrintTemplate values(1,'在用','a','1',241,178,'0');"
    "insert into PrintTemplateItem values(1,1,'a','甲',10,'宋体',10,0,1,1);");

// A refused file stays where it is, the log says why, and the stored template is the one in use.
void ExpectRefusedAtStartUp(const QByteArray& file, const QString& reason)
{
    TTestProgramFolder folder;
    folder.Sql(kStoredTemplate);
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), file);
    {
        TTestContext context(folder);
        ASSERT_TRUE(PrintTpl);
        EXPECT_EQ(PrintTpl->TmpDesc, QStringLiteral("在用"));
        ASSERT_EQ(PrintTpl->Count(), 1);
        EXPECT_EQ(PrintTpl->GetItem(0).ItemDisName, QStringLiteral("甲"));
        EXPECT_EQ(DataBase->Scalar(QStringLiteral("select count(*) from PrintTemplateItem")).toInt(), 1);
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("PrintTemplate.xml")), file);
    EXPECT_TRUE(folder.LogMessages().contains(QStringLiteral("PrintTemplate.xml 未导入：") + reason))
        << folder.LogMessages().join(u'\n').toStdString();
}

TPrintTemplate OneItem()
{
    TPrintTemplate t;
    t.PageWidth = 241;
    t.PageHeight = 178;
    TPrintDateItem& item = t.Add();
    item.ItemName = QStringLiteral("ghdw");
    item.ItemDisName = QStringLiteral("购货单位");
    item.ItemFontName = QStringLiteral("宋体");
    item.ItemFontSize = 10;
    item.ItemMaxLength = 60;
    item.ItemPosX = 20;
    item.ItemPosY = 30;
    item.Value = QStringLiteral("某公司");
    return t;
}
}  // namespace

TEST(HostileTemplate, TwoHundredThousandNestedElementsAreRefusedBeforeADocumentIsBuilt)
{
    QByteArray nested = "<?xml version=\"1.0\" encoding=\"gb2312\"?><InvoiceTemplate>";
    nested += QByteArray("<a>").repeated(200000) + QByteArray("</a>").repeated(200000) + "</InvoiceTemplate>";
    TPrintTemplate t;
    t.TmpDesc = QStringLiteral("kept");
    QString why;
    EXPECT_FALSE(Load(t, nested, &why));
    EXPECT_EQ(why, QStringLiteral("元素嵌套超过3层（第1行）"));
    EXPECT_EQ(t.TmpDesc, QStringLiteral("kept"));
    EXPECT_EQ(t.Count(), 0);
    ExpectRefusedAtStartUp(nested, why);

    // A template's own three levels still read, unknown elements at those levels included.
    EXPECT_TRUE(Load(t, "<R><Item><ItemName>A</ItemName><Extra/></Item><Other>x</Other></R>", &why));
    EXPECT_FALSE(Load(t, "<R><Item><ItemName>A</ItemName><Extra><x/></Extra></Item></R>", &why));
}

TEST(HostileTemplate, NumbersAtTheIntegerLimitsAreRefusedNamingTheItemAndTheRange)
{
    const struct {
        const char* file;
        QString reason;
    } cases[] = {
        {"tpl_fontsize_itemlength_int_min.xml", QStringLiteral("打印模板项目“cllx”的字号 -2147483648 超出范围（1～72）")},
        {"tpl_prtx_prty_int_extremes.xml", QStringLiteral("打印模板项目“cllx”的横向位置 2147483647 超出范围（-241～241 毫米）")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray bytes = HostileBytes(QString::fromLatin1(c.file));
        TPrintTemplate t;
        QString why;
        EXPECT_FALSE(Load(t, bytes, &why));
        EXPECT_EQ(why, c.reason);
        EXPECT_EQ(t.Count(), 0);
        ExpectRefusedAtStartUp(bytes, c.reason);
    }
    // The second item's length, once the first item's size is mended.
    TPrintTemplate t;
    QString why;
    const QByteArray mended = HostileBytes(QStringLiteral("tpl_fontsize_itemlength_int_min.xml"))
                                  .replace("-2147483648</ItemFontSize>", "9</ItemFontSize>")
                                  .replace("2147483647</ItemFontSize>", "9</ItemFontSize>");
    EXPECT_FALSE(Load(t, mended, &why));
    EXPECT_EQ(why, QStringLiteral("打印模板项目“cpxh”的长度 -2147483648 超出范围（0～200 毫米）"));
}

// A template the database holds is not read through the file: printing refuses what is out of
// range before a job starts, at every bound.
TEST(HostileTemplate, PrintingRefusesValuesOutOfRangeBeforeTheJobAndTakesTheBounds)
{
    const struct {
        std::function<void(TPrintTemplate&)> change;
        QString reason;  // empty: prints
    } cases[] = {
        {[](TPrintTemplate& t) { t.GetItem(0).ItemFontSize = 0; },
         QStringLiteral("打印模板项目“ghdw”的字号 0 超出范围（1～72）")},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemFontSize = 73; },
         QStringLiteral("打印模板项目“ghdw”的字号 73 超出范围（1～72）")},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemFontSize = 1; }, {}},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemFontSize = 72; }, {}},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemMaxLength = -1; },
         QStringLiteral("打印模板项目“ghdw”的长度 -1 超出范围（0～200 毫米）")},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemMaxLength = 201; },
         QStringLiteral("打印模板项目“ghdw”的长度 201 超出范围（0～200 毫米）")},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemMaxLength = 200; }, {}},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemPosX = -241; }, {}},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemPosY = 241; }, {}},  // landscape turns the sheet
        {[](TPrintTemplate& t) { t.GetItem(0).ItemPosY = 242; },
         QStringLiteral("打印模板项目“ghdw”的纵向位置 242 超出范围（-241～241 毫米）")},
        {[](TPrintTemplate& t) { t.GetItem(0).ItemPosX = INT_MIN; },
         QStringLiteral("打印模板项目“ghdw”的横向位置 -2147483648 超出范围（-241～241 毫米）")},
        {[](TPrintTemplate& t) { t.PageWidth = 3277; }, QStringLiteral("打印模板的纸张宽度 3277 超出范围（0～3276 毫米）")},
        {[](TPrintTemplate& t) { t.PageHeight = -1; }, QStringLiteral("打印模板的纸张高度 -1 超出范围（0～3276 毫米）")},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        TPrintTemplate t = OneItem();
        cases[i].change(t);
        TFakePrintDevice device;
        QString why;
        EXPECT_EQ(PrintInvoice(t, 0, 0, &why), cases[i].reason.isEmpty());
        EXPECT_EQ(why, cases[i].reason);
        EXPECT_EQ(device.begun, cases[i].reason.isEmpty() ? 1 : 0);
        EXPECT_EQ(device.drawn.empty(), !cases[i].reason.isEmpty());
    }
    // Offsets: as far as the page, no further; the test page is refused alike.
    TFakePrintDevice device;
    QString why;
    EXPECT_TRUE(PrintInvoice(OneItem(), -241, 178, &why)) << why.toStdString();
    EXPECT_FALSE(PrintTestPage(OneItem(), 242, 0, &why));
    EXPECT_EQ(why, QStringLiteral("Corvane.ini 中 [Print] prtOffX=242 超出范围（-241～241 毫米），请在“打印调试”中重新设置"));
    EXPECT_FALSE(PrintInvoice(OneItem(), 0, -100000000, &why));
    EXPECT_EQ(why,
              QStringLiteral("Corvane.ini 中 [Print] prtOffY=-100000000 超出范围（-178～178 毫米），请在“打印调试”中重新设置"));
    EXPECT_EQ(device.begun, 1);
}

TEST(HostileTemplate, AFortyThousandCharacterItemWrapsWholeWithMeasuringLinearInItsLength)
{
    TPrintTemplate t;
    QString why;
    ASSERT_TRUE(Load(t, HostileBytes(QStringLiteral("tpl_print_long_disname_40k.xml")), &why)) << why.toStdString();
    ASSERT_EQ(t.Count(), 1);
    const QString name = t.GetItem(0).ItemDisName;
    ASSERT_EQ(name.size(), 40000);

    TFakePrintDevice device;
    ASSERT_TRUE(PrintTestPage(t, 0, 0, &why)) << why.toStdString();
    // 40 mm at 300 dpi is 472 px; 9 pt characters of 18 px: 26 bytes, 13 characters a line.
    QString printed;
    for (const auto& line : device.drawn) {
        EXPECT_LE(GbkLength(line.text), 26);
        printed += line.text;
    }
    EXPECT_EQ(printed, name);
    EXPECT_EQ(device.drawn.size(), (40000u + 12) / 13);
    // Re-measuring the rest on every line would be about 60 million characters.
    EXPECT_LT(device.measured, 20 * 40000);
}
