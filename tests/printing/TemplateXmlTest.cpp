// The template file: reading, writing, the default template and the import at start-up.
#include "FailingDevice.h"
#include "ProgramFolder.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TextCodec.h"
#include "printing/TPrintTemplate.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifndef TALLYRA_PRINTING_GOLDEN
#error "TALLYRA_PRINTING_GOLDEN must name tests/printing/golden"
#endif

namespace {
QByteArray ReadBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Golden(const char* name) { return QStringLiteral(TALLYRA_PRINTING_GOLDEN "/") + QLatin1String(name); }

QByteArray Gbk(const QString& text) { return ToGbk(text).value(); }

bool Load(TPrintTemplate& t, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return t.LoadFromXML(buffer);
}

// The template the golden file holds: Chinese texts, an empty display name and description,
// a negative position and landscape.
TPrintTemplate GoldenTemplate()
{
    TPrintTemplate t;
    t.TmpDesc = QString(QLatin1String(""));
    t.TmpIsDefault = QStringLiteral("1");
    t.PageWidth = 178;
    t.PageHeight = 241;
    t.PrintWay = QStringLiteral("1");
    TPrintDateItem& a = t.Add();
    a.ItemName = QStringLiteral("ghdw");
    a.ItemDisName = QStringLiteral("购货单位<&>");
    a.ItemMaxLength = 100;
    a.ItemFontName = QStringLiteral("宋体");
    a.ItemFontSize = 10;
    a.ItemPosX = 40;
    a.ItemPosY = 36;
    TPrintDateItem& b = t.Add();
    b.ItemName = QStringLiteral("skr");
    b.ItemMaxLength = 40;
    b.ItemFontName = QStringLiteral("楷体_GB2312");
    b.ItemFontSize = 9;
    b.ItemNewLine = 1;
    b.ItemPosX = -3;
    b.ItemPosY = 134;
    b.Value = QStringLiteral("not written");
    return t;
}

// The 32 names the issuing code fills.
const QStringList kPrintItemNames{"prtYear",    "prtMonth", "prtDay",   "ghdw",       "ghdwID",  "cllx",      "cpxh",
                                  "cd",         "hgzhm",    "jkzmhm",   "sjdhm",      "fdjhm",   "cjhm",      "dj",
                                  "htdh",       "jwfy1",    "jwje1",    "jwfy2",      "jwje2",   "jwfy3",     "jwje3",
                                  "jwhjdx",     "jwjehj",   "saleName", "saleAdd",    "saleTel", "saleTaxID", "saleBank",
                                  "saleAcount", "saleMan",  "skr",      "ManageTaxID"};
}  // namespace

TEST(TemplateXml, WritesTheGoldenFileInGbkAndReadsItBack)
{
    const TPrintTemplate t = GoldenTemplate();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(t.SaveToXML(out));
    const QByteArray golden = ReadBytes(Golden("two-items.xml"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(out.data(), golden);
    EXPECT_TRUE(golden.startsWith("<?xml version=\"1.0\" encoding=\"gb2312\"?><InvoiceTemplate><TemplateDesc></TemplateDesc>"));
    EXPECT_TRUE(golden.contains(Gbk(QStringLiteral("<ItemDisName>购货单位&lt;&amp;&gt;</ItemDisName>"))));

    TPrintTemplate back;
    back.TmpDetail = QStringLiteral("rebuilt, not appended to");
    ASSERT_TRUE(Load(back, golden));
    EXPECT_EQ(back.TmpDesc, QString());
    EXPECT_EQ(back.PrintWay, QStringLiteral("1")) << "the orientation survives the round trip";
    EXPECT_EQ(back.PageWidth, 178);
    EXPECT_EQ(back.PageHeight, 241);
    EXPECT_EQ(back.TmpDetail, QStringLiteral("ghdw,skr"));
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.GetItem(0).ItemDisName, QStringLiteral("购货单位<&>"));
    EXPECT_EQ(back.GetItem(1).ItemDisName, QString()) << "an empty display name reads back";
    EXPECT_EQ(back.GetItem(1).ItemFontName, QStringLiteral("楷体_GB2312"));
    EXPECT_EQ(back.GetItem(1).ItemPosX, -3);
    EXPECT_EQ(back.GetItem(1).ItemNewLine, 1);
    EXPECT_TRUE(back.GetItem(1).Value.isNull());

    // Through a file, replacing what was there.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("PrintTemplate.xml"));
    QFile(file).open(QIODevice::WriteOnly);
    ASSERT_TRUE(t.SaveToXML(file));
    EXPECT_EQ(ReadBytes(file), golden);
    TPrintTemplate fromFile;
    EXPECT_TRUE(fromFile.LoadFromXML(file));
    EXPECT_EQ(fromFile.Count(), 2);
}

TEST(TemplateXml, WriteFailuresReportFalseAndLeaveTheOldFile)
{
    const TPrintTemplate t = GoldenTemplate();
    const QByteArray golden = ReadBytes(Golden("two-items.xml"));
    for (qint64 limit : {0LL, 10LL, static_cast<qint64>(golden.size()) - 1}) {
        TFailingDevice device({}, limit);
        device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        EXPECT_FALSE(t.SaveToXML(device)) << limit;
    }

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("PrintTemplate.xml"));
    ASSERT_TRUE(t.SaveToXML(file));
    TPrintTemplate noGbk = t;
    noGbk.GetItem(0).ItemDisName = QStringLiteral("车😀");  // GBK has no emoji
    EXPECT_FALSE(noGbk.SaveToXML(file));
    EXPECT_EQ(ReadBytes(file), golden) << "the old file stays whole";
    EXPECT_FALSE(t.SaveToXML(dir.filePath(QStringLiteral("missing/PrintTemplate.xml"))));
}

TEST(TemplateXml, ReadsByTheFileRules)
{
    TPrintTemplate t;
    t.TmpDesc = QStringLiteral("kept");
    t.PageHeight = 99;
    // Any root name; unknown elements, comments and PIs skipped; a repeated header: the
    // later wins; an item without a name adds an item and no name; a missing display name
    // reads empty.
    ASSERT_TRUE(
        Load(t, Gbk(QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<Other>\n  <PageWidth>1</PageWidth><!-- c -->\n"
                                   "  <PageWidth> 210 </PageWidth><?pi x?><Unknown>x</Unknown>\n"
                                   "  <Item><ItemName>A</ItemName><ItemDisName>甲</ItemDisName><ItemPrtX>-4</ItemPrtX></Item>\n"
                                   "  <Item><ItemDisName>无名</ItemDisName></Item>\n"
                                   "  <Item><ItemName>B</ItemName><ItemName>second</ItemName><Extra/></Item>\n"
                                   "  <Item><ItemName>C</ItemName></Item>\n</Other>"))));
    EXPECT_EQ(t.TmpDesc, QStringLiteral("kept"));
    EXPECT_EQ(t.PageHeight, 99);
    EXPECT_EQ(t.PageWidth, 210);
    EXPECT_EQ(t.PrintWay, QString());
    EXPECT_EQ(t.TmpDetail, QStringLiteral("A,B,C"));
    ASSERT_EQ(t.Count(), 4);
    EXPECT_EQ(t.GetItem(0).ItemDisName, QStringLiteral("甲"));
    EXPECT_EQ(t.GetItem(0).ItemPosX, -4);
    EXPECT_EQ(t.GetItem(1).ItemName, QString());
    EXPECT_EQ(t.GetItem(2).ItemName, QStringLiteral("B"));
    EXPECT_EQ(t.GetItem(3).ItemDisName, QString());

    // A root without children: true, no items. UTF-8 without a declaration reads too.
    EXPECT_TRUE(Load(t, "<InvoiceTemplate/>"));
    EXPECT_EQ(t.Count(), 0);
    EXPECT_TRUE(Load(t, QStringLiteral("<R><Item><ItemName>中文</ItemName></Item></R>").toUtf8()));
    EXPECT_EQ(t.GetItem(0).ItemName, QStringLiteral("中文"));
}

TEST(TemplateXml, RefusesBadAndHostileDocumentsWithoutChangingTheTemplate)
{
    const QStringList bad{
        "<R><Item><ItemPrtX>12a</ItemPrtX></Item></R>",
        "<R><PageWidth></PageWidth></R>",
        "<R><PageWidth>  </PageWidth></R>",
        "<R><PageWidth>2147483648</PageWidth></R>",
        "<R><PageWidth>+5</PageWidth></R>",
        "<R><Item><ItemFontSize><b>9</b></ItemFontSize></Item></R>",
        "<R><TemplateDesc>a<b/>c</TemplateDesc></R>",
        "<R><Item><ItemName>A</ItemName></R>",
        "<R><Item/></R><R/>",
        "",
        "<R><TemplateDesc>&xxe;</TemplateDesc></R>",
        "<!DOCTYPE R [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]><R><TemplateDesc>&xxe;</TemplateDesc></R>",
        "<!DOCTYPE R [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<R><TemplateDesc>&b;</TemplateDesc></R>",
        "<!DOCTYPE R [<!ENTITY a \"x\">]><R><TemplateDesc>&a;</TemplateDesc></R>",
        "<!DOCTYPE R SYSTEM \"http://example.invalid/t.dtd\"><R/>",
    };
    for (const QString& xml : bad) {
        TPrintTemplate t;
        t.TmpDesc = QStringLiteral("kept");
        t.PageWidth = 7;
        t.Add().ItemName = QStringLiteral("stale");
        EXPECT_FALSE(Load(t, xml.toUtf8())) << qPrintable(xml);
        EXPECT_EQ(t.Count(), 0) << qPrintable(xml);
        EXPECT_EQ(t.TmpDesc, QStringLiteral("kept")) << qPrintable(xml);
        EXPECT_EQ(t.PageWidth, 7) << qPrintable(xml);
    }
    // Bytes that are not GBK in a file declared gb2312, and a UTF-8 file declared gb2312.
    TPrintTemplate t;
    EXPECT_FALSE(Load(t, QByteArray("<?xml version=\"1.0\" encoding=\"gb2312\"?><R><TemplateDesc>\x81\x20</TemplateDesc></R>")));
    TPrintTemplate mislabelled;
    ASSERT_TRUE(
        Load(mislabelled,
             QStringLiteral("<?xml version=\"1.0\" encoding=\"gb2312\"?><R><TemplateDesc>发票</TemplateDesc></R>").toUtf8()));
    EXPECT_NE(mislabelled.TmpDesc, QStringLiteral("发票")) << "bytes are read as declared";
    EXPECT_FALSE(t.LoadFromXML(QStringLiteral("/nonexistent/PrintTemplate.xml")));

    // A device that fails part-way through.
    const QByteArray golden = ReadBytes(Golden("two-items.xml"));
    TFailingDevice device(golden, golden.size() / 2);
    device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    EXPECT_FALSE(t.LoadFromXML(device));
    EXPECT_EQ(t.Count(), 0);
}

TEST(DefaultTemplate, HoldsEveryPrintItemOnTheSheet)
{
    TPrintTemplate t;
    ASSERT_TRUE(t.LoadFromXML(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml")));
    EXPECT_EQ(t.TmpIsDefault, QStringLiteral("1"));
    EXPECT_EQ(t.PrintWay, QStringLiteral("0"));
    EXPECT_EQ(t.TmpDesc, QStringLiteral("机动车销售统一发票"));
    QStringList names;
    for (int i = 0; i < t.Count(); ++i) {
        const TPrintDateItem& item = t.GetItem(i);
        names << item.ItemName;
        EXPECT_FALSE(item.ItemDisName.isEmpty()) << qPrintable(item.ItemName);
        EXPECT_EQ(item.ItemFontName, QStringLiteral("宋体"));
        EXPECT_GE(item.ItemFontSize, 9);
        EXPECT_GT(item.ItemMaxLength, 0);
        // The text starts two average characters (10 pt: under 4 mm) right of the position.
        EXPECT_LE(item.ItemPosX + 4 + item.ItemMaxLength, t.PageWidth) << qPrintable(item.ItemName);
        EXPECT_GT(item.ItemPosX, 0);
        EXPECT_GT(item.ItemPosY, 0);
        EXPECT_LT(item.ItemPosY + 5, t.PageHeight);
    }
    EXPECT_EQ(t.TmpDetail, names.join(u','));
    QStringList sorted = names, expected = kPrintItemNames;
    sorted.sort();
    expected.sort();
    EXPECT_EQ(sorted, expected);
}

TEST(ImportTemplateXML, FirstStartImportsTheDefaultTemplateAndRemovesTheFile)
{
    TTestProgramFolder folder;
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), ReadBytes(QStringLiteral(TALLYRA_RESOURCES_DIR "/PrintTemplate.xml")));
    TTestContext context(folder);
    ASSERT_TRUE(PrintTpl);
    EXPECT_EQ(PrintTpl->Count(), 32);
    EXPECT_EQ(PrintTpl->IndexOfName(QStringLiteral("ManageTaxID")) >= 0, true);
    EXPECT_EQ(PrintTpl->GetItem(PrintTpl->IndexOfName(QStringLiteral("ghdw"))).ItemDisName, QStringLiteral("购货单位"));
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("PrintTemplate.xml"))));
    EXPECT_EQ(DataBase->Scalar(QStringLiteral("select count(*) from PrintTemplateItem")).toInt(), 32);
}

TEST(ImportTemplateXML, ABadFileStaysAndChangesNothingStored)
{
    TTestProgramFolder folder;
    folder.Sql(
        QStringLiteral("insert into PrintTemplate values(1,'在用','a','1',241,178,'0');"
                       "insert into PrintTemplateItem values(1,1,'a','甲',10,'宋体',10,0,1,1);"));
    const QByteArray bad = Gbk(QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"gb2312\"?><InvoiceTemplate><PageWidth>200</PageWidth><IsDefault>1</IsDefault>"
        "<Item><ItemName>新</ItemName><ItemPrtX>1O</ItemPrtX></Item></InvoiceTemplate>"));
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), bad);
    {
        TTestContext context(folder);
        ASSERT_TRUE(PrintTpl);
        EXPECT_EQ(PrintTpl->TmpDesc, QStringLiteral("在用"));
        EXPECT_EQ(PrintTpl->PageWidth, 241);
        ASSERT_EQ(PrintTpl->Count(), 1);
        EXPECT_EQ(PrintTpl->GetItem(0).ItemDisName, QStringLiteral("甲"));
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("PrintTemplate.xml")), bad);

    // Mended by hand, the next start takes it.
    folder.WriteFile(QStringLiteral("PrintTemplate.xml"), QByteArray(bad).replace("1O", "10"));
    TTestContext context(folder);
    ASSERT_EQ(PrintTpl->Count(), 1);
    EXPECT_EQ(PrintTpl->GetItem(0).ItemName, QStringLiteral("新"));
    EXPECT_EQ(PrintTpl->PageWidth, 200);
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("PrintTemplate.xml"))));
}
