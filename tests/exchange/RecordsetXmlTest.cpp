#include "QtPrinters.h"
#include "ExchangeTestData.h"
#include "FailingDevice.h"
#include "FileBytes.h"
#include "exchange/RecordsetXml.h"
#include "exchange/RecordsetXmlReader.h"
#include "exchange/RecordsetXmlWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <malloc.h>

namespace {
QString Str(const TRecordset& rs, int row, const char* field)
{
    return rs.rows.at(row).at(rs.FieldIndex(QString::fromUtf8(field))).toString();
}
QVariant Val(const TRecordset& rs, int row, const char* field)
{
    return rs.rows.at(row).at(rs.FieldIndex(QString::fromUtf8(field)));
}

// A file of our own columns: text, number and integer.
TRecordset Mixed(const std::vector<TRecord>& rows)
{
    return TRecordset{
        {TextField(QStringLiteral("txt")), NumberField(QStringLiteral("amount")), IntegerField(QStringLiteral("n"))}, rows};
}

// What a caller's column check raises; the reader passes it on as it is.
class EColumnsRefused : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

QString Reason(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ETallyraError& e) {
        return e.Text();
    }
    return QStringLiteral("<no error>");
}
}  // namespace

TEST(RecordsetFixtures, EveryPeerFileLoadsButTheOneWithRawNuls)
{
    SKIP_WITHOUT_FIXTURES();
    const QStringList files = QDir(Fixture(QString())).entryList({QStringLiteral("*.xml")});
    ASSERT_GE(files.size(), 50) << Fixture(QString()).toStdString();
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        if (name == u"text_controls.xml") {
            EXPECT_THROW(LoadRecordsetXmlFile(Fixture(name)), ERecordsetFormat);
            continue;
        }
        const TRecordset rs = LoadRecordsetXmlFile(Fixture(name));
        EXPECT_GE(rs.fields.size(), 2u);
        EXPECT_EQ(rs.rows.empty(), name == u"empty.xml");
    }
    // Without its NULs the file loads; the other control characters stay in the values.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("controls.xml"));
    WriteBytes(copy, FileBytes(Fixture(QStringLiteral("text_controls.xml"))).replace('\0', QByteArray()));
    const TRecordset rs = LoadRecordsetXmlFile(copy);
    ASSERT_EQ(rs.rows.size(), 3u);  // the updated row, a current one and an insert; the deleted one is gone
    EXPECT_EQ(Str(rs, 0, "VAR_WIDE_CTL"), QStringLiteral("W1p1\x01\x08\x0b\x0c\x0e\x1fZ"));
    EXPECT_EQ(Str(rs, 0, "FIXED_ANSI_CTL"), QStringLiteral("A1p1\x01\x08\x0b\x0c\x0e\x1fZ    "));
    EXPECT_EQ(Val(rs, 1, "ID").toLongLong(), 3);
    EXPECT_TRUE(Val(rs, 1, "VAR_WIDE_CTL").isNull());
    EXPECT_EQ(Val(rs, 2, "ID").toLongLong(), 4);
}

TEST(RecordsetFixtures, ValuesNullsEscapesAndSchemaLayouts)
{
    SKIP_WITHOUT_FIXTURES();
    const TRecordset nulls = LoadRecordsetXmlFile(Fixture(QStringLiteral("nulls.xml")));
    EXPECT_TRUE(Val(nulls, 0, "MAYBE_TEXT").isNull());  // rs:forcenull
    EXPECT_TRUE(Val(nulls, 0, "MAYBE_INT").isNull());
    EXPECT_FALSE(Val(nulls, 1, "MAYBE_TEXT").isNull());
    EXPECT_EQ(Str(nulls, 1, "MAYBE_TEXT"), QString());
    EXPECT_EQ(Val(nulls, 1, "MAYBE_INT"), QVariant(qlonglong(0)));

    EXPECT_EQ(Str(LoadRecordsetXmlFile(Fixture(QStringLiteral("strings_ascii.xml"))), 1, "NOTE"),
              QStringLiteral("Joe's Garage & <xml>"));
    EXPECT_EQ(Str(LoadRecordsetXmlFile(Fixture(QStringLiteral("strings_korean_unicode.xml"))), 1, "WORD"),
              QStringLiteral("한글"));

    // Raw TAB, CR and LF inside values are kept; the update's new row replaces its original.
    const TRecordset escapes = LoadRecordsetXmlFile(Fixture(QStringLiteral("text_escapes.xml")));
    ASSERT_EQ(escapes.rows.size(), 3u);
    EXPECT_TRUE(Str(escapes, 0, "TXT_VAR").startsWith(QStringLiteral("row=1|phase=1|\"dq\"|'sq'|<&>|tab\tcr\rlf\nend")))
        << Str(escapes, 0, "TXT_VAR").toStdString();

    const TRecordset basic = LoadRecordsetXmlFile(Fixture(QStringLiteral("types_basic.xml")));
    EXPECT_EQ(Val(basic, 0, "RATIO"), QVariant(3.14159));
    EXPECT_EQ(Val(basic, 1, "AMOUNT"), QVariant(-7.89));
    EXPECT_EQ(Val(basic, 1, "ID"), QVariant(qlonglong(-2)));
    EXPECT_EQ(Str(basic, 0, "FLAG"), QStringLiteral("True"));
    EXPECT_EQ(basic.fields[4].kind, TFieldKind::DateTime);
    EXPECT_EQ(Str(basic, 0, "WHEN_AT"), QStringLiteral("2001-02-03T04:05:06"));

    // Columns referred to from the element type take the references' order; rs:name names them.
    const TRecordset refs = LoadRecordsetXmlFile(Fixture(QStringLiteral("doc_schema_attribute_refs.xml")));
    ASSERT_EQ(refs.fields.size(), 3u);
    EXPECT_EQ(refs.fields[0].name, QStringLiteral("Text First"));
    EXPECT_EQ(refs.fields[1].name, QStringLiteral("Number After Text"));
    EXPECT_EQ(refs.rows[0], (TRecord{QStringLiteral("alpha"), qlonglong(10), QStringLiteral("0A0B")}));
    EXPECT_TRUE(refs.rows[1][2].isNull());
    const TRecordset minimal = LoadRecordsetXmlFile(Fixture(QStringLiteral("doc_minimal_schema.xml")));
    EXPECT_EQ(minimal.fields[1].kind, TFieldKind::Text);  // no type given: text
    EXPECT_EQ(minimal.rows[0][2], QVariant(qlonglong(42)));
}

TEST(RecordsetReader, OtherEncodingsAndADeclarationReadAlike)
{
    SKIP_WITHOUT_FIXTURES();
    const QByteArray utf8 = FileBytes(Fixture(QStringLiteral("strings_korean_unicode.xml")));
    const TRecordset plain = ReadRecordsetXml(utf8);
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n") + QString::fromUtf8(utf8);
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QStringEncoder utf16be(QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
    for (const QByteArray& bytes : {QByteArray(utf16.encode(text)), QByteArray(utf16be.encode(text)), "\xef\xbb\xbf" + utf8}) {
        const TRecordset rs = ReadRecordsetXml(bytes);
        EXPECT_EQ(rs.rows, plain.rows);
    }
}

TEST(RecordsetReader, RefusesWhatIsNoRecordSetOrABadNumberBeforeBuildingRows)
{
    SKIP_WITHOUT_FIXTURES();
    const QByteArray good = FileBytes(Fixture(QStringLiteral("nulls.xml")));
    auto refused = [](const QByteArray& bytes) { return Reason([&] { ReadRecordsetXml(bytes); }); };
    QByteArray withEntity = good;
    withEntity.replace("MAYBE_TEXT=''", "MAYBE_TEXT='&e;'");
    EXPECT_NE(refused("<!DOCTYPE xml [<!ENTITY e \"expanded\">]>\r\n" + withEntity), QStringLiteral("<no error>"));
    EXPECT_NE(refused(QByteArray(good).replace("MAYBE_TEXT=''", QByteArray("MAYBE_TEXT='a\0b'", 17))), "<no error>");
    EXPECT_EQ(refused(good + QByteArray("\0<junk/>", 8)), QStringLiteral("不是记录集文件：含有NUL字符"));
    EXPECT_NE(refused(QByteArray(good).replace("<xml ", "<rowset ").replace("</xml>", "</rowset>")), "<no error>");
    EXPECT_NE(refused("<xml/>"), "<no error>");
    EXPECT_NE(refused(QByteArray(good).replace("MAYBE_TEXT=''", "MAYBE_TEXT='\xff\xfe'")), "<no error>");  // not UTF-8
    for (const char* bad : {"12a", " 12", "", "+3", "1.0"})
        EXPECT_EQ(refused(QByteArray(good).replace("MAYBE_INT='0'", QByteArray("MAYBE_INT='") + bad + "'")),
                  QStringLiteral("第2行MAYBE_INT列的值不是整数"))
            << bad;
    const QByteArray doubles = FileBytes(Fixture(QStringLiteral("type_Double.xml")));
    for (const char* bad : {"1,5", "inf", "nan", "1e999", "0x10", "1.5 "})
        EXPECT_NE(refused(QByteArray(doubles).replace("'1.125'", QByteArray("'") + bad + "'")), "<no error>") << bad;
    EXPECT_EQ(ReadRecordsetXml(QByteArray(doubles).replace("'1.125'", "'-1.5E-3'")).rows[0][1], QVariant(-0.0015));

    // A file over 64 MiB is refused without reading it.
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.xml")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(good);
    ASSERT_TRUE(big.resize(kMaxRecordsetFile + 1));
    big.close();
    EXPECT_EQ(Reason([&] { LoadRecordsetXmlFile(big.fileName()); }), QStringLiteral("文件太大"));
}

TEST(RecordsetWriter, ReproducesPeerFilesByteForByte)
{
    SKIP_WITHOUT_FIXTURES();
    for (const char* name : {"empty.xml", "type_Integer.xml", "type_Double.xml", "type_VarWChar.xml"}) {
        const QByteArray peer = FileBytes(Fixture(QString::fromLatin1(name)));
        EXPECT_EQ(RecordsetBytes(ReadRecordsetXml(peer)), peer) << name;
    }
}

TEST(RecordsetWriter, EscapesEveryCharacterAndRefusesWhatTheFormatCannotCarry)
{
    const TRecordset rs = Mixed({{QStringLiteral("a'\"&<>\t\r\nb 中"), 0.1, qlonglong(-12445)},
                                 {QVariant(), QVariant(), QVariant()},
                                 {QStringLiteral(""), 125000.5, qlonglong(0)}});
    const QByteArray bytes = RecordsetBytes(rs);
    EXPECT_TRUE(
        bytes.contains("\t<z:row txt='a&#x27;&#x22;&#x26;&#x3c;&#x3e;&#x9;&#xD;&#xA;b 中' amount='0.10000000000000001' "
                       "n='-12445'/>\r\n\t<z:row/>\r\n\t<z:row txt='' amount='125000.5' n='0'/>\r\n</rs:data>\r\n</xml>"))
        << bytes.toStdString();
    EXPECT_EQ(ReadRecordsetXml(bytes).rows, rs.rows);
    // Another XML parser reads the file as written.
    EXPECT_EQ(
        PythonOn(bytes, QStringLiteral("import sys, json, xml.etree.ElementTree as ET\n"
                                       "rows = ET.parse(sys.argv[1]).getroot().find('{urn:schemas-microsoft-com:rowset}data')\n"
                                       "print(json.dumps([r.attrib for r in rows]))")),
        QStringLiteral("[{\"txt\": \"a'\\\"&<>\\t\\r\\nb \\u4e2d\", \"amount\": \"0.10000000000000001\", \"n\": \"-12445\"}, "
                       "{}, {\"txt\": \"\", \"amount\": \"125000.5\", \"n\": \"0\"}]"));

    EXPECT_NE(Reason([&] { RecordsetBytes(Mixed({{QStringLiteral("\x01"), 1.0, 1}})); }), "<no error>");
    EXPECT_NE(Reason([&] { RecordsetBytes(Mixed({{QStringLiteral("t"), QStringLiteral("abc"), 1}})); }), "<no error>");
    EXPECT_NE(Reason([&] { RecordsetBytes(Mixed({{QStringLiteral("t"), 1.0, qlonglong(1) << 40}})); }), "<no error>");
}

// A device that fills up fails the writing; replacing a file whole or not at all is the export
// window's test.
TEST(RecordsetWriter, ADeviceThatFillsUpFailsTheWriting)
{
    const std::vector<TRecord> rows(10000, TRecord{QStringLiteral("某汽车销售有限公司"), 125000.5, 7});
    for (qint64 limit : {0, 100, 300000}) {
        TFailingDevice device({}, limit);
        device.open(QIODevice::WriteOnly);
        EXPECT_THROW(WriteRecordsetXml(device, Mixed(rows)), EInOutError) << limit;
    }
}

namespace {
// A small list of our own: two rows of text, number and integer.
QByteArray SmallList()
{
    return RecordsetBytes(Mixed({{QStringLiteral("甲"), 1.5, qlonglong(1)}, {QStringLiteral("乙"), 2.5, qlonglong(2)}}));
}

QString Refusal(const QByteArray& bytes, const TRecordsetLimits& limits = {})
{
    return Reason([&] { ReadRecordsetXml(bytes, limits); });
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's redzones and quarantine hold memory of their own: peaks are not the reader's.
constexpr bool kPeaksMeasured = false;
#else
constexpr bool kPeaksMeasured = true;
#endif

// Peak resident memory since the last call, in bytes; each call starts a new peak.
qint64 PeakSinceLast()
{
    QFile status(QStringLiteral("/proc/self/status"));
    qint64 peak = 0;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    return peak;
}

// A list file of the invoice table's shape: rows copies of one invoice row, or as many as make
// up about bytes.
QString WriteInvoiceList(const QString& path, int rows, qint64 bytes = 0)
{
    const QVariantList invoice =
        InvoiceValues(QStringLiteral("一店"), QStringLiteral("2026-02-03 10:00:00"), QStringLiteral("00000001"), 125000.5);
    TRecordset rs;
    for (int i = 0; i < invoice.size(); ++i)
        rs.fields.push_back(invoice[i].metaType().id() == QMetaType::Double ? NumberField(QStringLiteral("f%1").arg(i))
                                                                            : TextField(QStringLiteral("f%1").arg(i)));
    const QByteArray head = RecordsetBytes(rs);
    rs.rows.emplace_back(invoice.begin(), invoice.end());
    const QByteArray one = RecordsetBytes(rs);
    const qsizetype from = one.indexOf("\t<z:row");
    const QByteArray line = one.mid(from, one.indexOf("</rs:data>") - from);
    if (bytes > 0)
        rows = static_cast<int>(bytes / line.size());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(head.left(head.indexOf("</rs:data>")));
    for (int i = 0; i < rows; ++i)
        file.write(line);
    file.write("</rs:data>\r\n</xml>");
    return path;
}
}  // namespace

TEST(RecordsetReader, EveryElementOfTheDataIsARowItTakesOrTheFileIsRefused)
{
    const QByteArray good = SmallList();
    ASSERT_EQ(ReadRecordsetXml(good).rows.size(), 2u);
    const auto refused = [&](const QByteArray& from, const QByteArray& to) {
        return Refusal(QByteArray(good).replace(from, to));
    };
    // The rows' prefix declared in another case, the rows in another namespace, a misspelt row.
    EXPECT_EQ(refused("xmlns:z=", "xmlns:Z="), QStringLiteral("不是记录集文件：前缀z没有声明（文件第20行）"));
    EXPECT_EQ(refused("#RowsetSchema", "#rowsetschema"),
              QStringLiteral("不是记录集文件：数据部分含有不是行的元素z:row（文件第20行）"));
    EXPECT_TRUE(refused("<z:row txt='乙'", "<z:rows txt='乙'")
                    .startsWith(QStringLiteral("不是记录集文件：数据部分含有不是行的元素z:rows")));
    EXPECT_TRUE(refused("\t<z:row txt='乙'", "\t<rs:insert><z:row/><rs:row/></rs:insert><z:row txt='乙'")
                    .startsWith(QStringLiteral("不是记录集文件：数据部分含有不是行的元素rs:row")));
    EXPECT_TRUE(
        refused("\t<z:row txt='乙'", "\t乙<z:row txt='乙'").startsWith(QStringLiteral("不是记录集文件：数据部分含有文字")));
    // Rows inside rs:insert are taken; a file without rows still loads.
    const TRecordset inserted = ReadRecordsetXml(
        QByteArray(good).replace("\t<z:row txt='乙'", "\t<rs:insert><z:row txt='丙'/></rs:insert><z:row txt='乙'"));
    ASSERT_EQ(inserted.rows.size(), 3u);
    EXPECT_EQ(inserted.rows[1][0], QVariant(QStringLiteral("丙")));
    const TRecordset none = ReadRecordsetXml(RecordsetBytes(Mixed({})));
    EXPECT_EQ(none.fields.size(), 3u);
    EXPECT_TRUE(none.rows.empty());
}

TEST(RecordsetReader, ReferencesAttributesAndTagsMustBeWellFormed)
{
    const QByteArray good = SmallList();
    const auto refused = [&](const char* value) { return Refusal(QByteArray(good).replace("txt='甲'", value)); };
    for (const char* nul : {"txt='a&#x0;b'", "txt='&#0;'", "txt='&#x000;'"})
        EXPECT_EQ(refused(nul), QStringLiteral("不是记录集文件：含有NUL字符")) << nul;
    for (const char* bad :
         {"txt='&#x;'", "txt='&#xZZ;'", "txt='&#12a;'", "txt='&#X41;'", "txt='&#x110000;'", "txt='&#xD800;'", "txt='&#xFFFE;'",
          "txt='&#99999999999;'", "txt='&bogus;'", "txt='a &amp b'", "txt='a<b'", "txt='甲' txt='乙'",
          "txt='甲' amount='1' n='2' a1='' a2='' a3='' a4='' a5='' a6='' a7='' a8='' txt=''", "txt=甲",
          "txt='甲' rs:forcenull"}) {
        const QString why = refused(bad);
        EXPECT_TRUE(why.startsWith(QStringLiteral("不是记录集文件：")) && why.contains(QStringLiteral("（文件第20行）")))
            << bad << ' ' << why.toStdString();
    }
    EXPECT_EQ(Refusal(good + "<xml/>"), QStringLiteral("不是记录集文件：根元素之后还有元素（文件第23行）"));
    EXPECT_TRUE(Refusal(QByteArray(good).replace("</rs:data>", "</rs:Data>"))
                    .startsWith(QStringLiteral("不是记录集文件：结束标记rs:Data与开始标记不符")));
    EXPECT_TRUE(Refusal(good.left(good.size() - 3)).startsWith(QStringLiteral("不是记录集文件：文件不完整")));
    EXPECT_TRUE(Refusal(QByteArray(good).replace("<rs:data>", QByteArray(65, '<').replace("<", "<a>") + "<rs:data>"))
                    .startsWith(QStringLiteral("不是记录集文件：元素嵌套过深")));

    // What the references stand for, in attributes and as the only content of a value.
    const TRecordset rs =
        ReadRecordsetXml(QByteArray(good).replace("txt='甲'", "txt='&#x4e2d;&#20013;&lt;&gt;&amp;&apos;&quot;&#x1F600;&#9;'"));
    EXPECT_EQ(rs.rows[0][0], QVariant(QStringLiteral("中中<>&'\"😀\t")));
    // Comments, processing instructions and a declaration are passed over.
    const TRecordset commented =
        ReadRecordsetXml("<?xml version='1.0'?>\r\n<!-- list -->" +
                         QByteArray(good).replace("<rs:data>", "<rs:data><!-- rows --><?pi x?>") + "\r\n<!-- end -->\r\n");
    EXPECT_EQ(commented.rows, ReadRecordsetXml(good).rows);
}

TEST(RecordsetReader, ColumnsAndRowsPastTheLimitsAreRefusedBeforeAnyRowIsRead)
{
    // The first row's integer is bad: a refusal of the columns comes before it is seen.
    const QByteArray list = QByteArray(SmallList()).replace("n='1'", "n='x'");
    EXPECT_EQ(Refusal(list), QStringLiteral("第1行n列的值不是整数"));
    TRecordsetLimits limits;
    limits.maxColumns = 2;
    EXPECT_EQ(Refusal(list, limits), QStringLiteral("文件的列多于2列"));
    limits = {};
    limits.checkColumns = [](const std::vector<TField>& fields) {
        if (fields.size() != 4)
            throw EColumnsRefused(QStringLiteral("%1列").arg(fields.size()));
    };
    EXPECT_EQ(Refusal(list, limits), QStringLiteral("3列"));
    limits = {};
    limits.maxRows = 1;
    EXPECT_EQ(Refusal(SmallList(), limits), QStringLiteral("文件的行多于1行"));
    limits.maxRows = 2;
    EXPECT_EQ(ReadRecordsetXml(SmallList(), limits).rows.size(), 2u);

    // Duplicate columns are found among many.
    QByteArray wide =
        "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' xmlns:rs='urn:schemas-microsoft-com:rowset' "
        "xmlns:z='#RowsetSchema'><s:Schema id='RowsetSchema'><s:ElementType name='row'>";
    for (int i = 0; i < 100000; ++i)
        wide += "<s:AttributeType name='c" + QByteArray::number(i) + "'/>";
    wide += "<s:AttributeType name='c7'/></s:ElementType></s:Schema><rs:data/></xml>";
    limits = {};
    limits.maxColumns = 200000;
    EXPECT_EQ(Refusal(wide, limits), QStringLiteral("不是记录集文件：列c7重复"));
}

TEST(RecordsetReader, EmptyRowsTakeNoValuePerColumnAndTheHostileFileIsRefusedByItsColumns)
{
    const QString hostile = QStringLiteral(TALLYRA_HOSTILE_FIXTURES "/rs_2000cols_40000emptyrows.xml");
    ASSERT_TRUE(QFile::exists(hostile));
    PeakSinceLast();
    TRecordsetLimits limits;
    limits.maxColumns = 38 + 64;
    EXPECT_EQ(Reason([&] { LoadRecordsetXmlFile(hostile, limits); }), QStringLiteral("文件的列多于102列"));
    // Taken whole, its 40,000 empty rows hold nothing per column.
    limits.maxColumns = 2000;
    const TRecordset rs = LoadRecordsetXmlFile(hostile, limits);
    EXPECT_EQ(rs.fields.size(), 2000u);
    EXPECT_EQ(rs.rows.size(), 40000u);
    EXPECT_TRUE(rs.rows.Value(39999, 1999).isNull());
    if (kPeaksMeasured) {
        EXPECT_LT(PeakSinceLast(), 8 * QFileInfo(hostile).size() + 50'000'000);
    }
}

TEST(RecordsetReader, PeakMemoryStaysUnderEightTimesTheFileSize)
{
    QTemporaryDir dir;
    for (const auto& [rows, bytes] : {std::pair{20000, qint64(0)}, std::pair{0, qint64(60) << 20}}) {
        const QString file = WriteInvoiceList(dir.filePath(QStringLiteral("list.xml")), rows, bytes);
        const qint64 size = QFileInfo(file).size();
        PeakSinceLast();
        const TRecordset rs = LoadRecordsetXmlFile(file);
        const qint64 peak = PeakSinceLast();
        if (kPeaksMeasured) {
            EXPECT_LT(peak, 8 * size + 50'000'000) << size;
        }
        EXPECT_GE(rs.rows.size(), 20000u);
        EXPECT_EQ(rs.rows.Value(rs.rows.size() - 1, 14), QVariant(0.1));
    }
}

// A device that fails partway fails the reading; the failure is the device's.
TEST(RecordsetReader, ADeviceThatFailsPartwayFailsTheReading)
{
    QTemporaryDir dir;
    const QByteArray list = FileBytes(WriteInvoiceList(dir.filePath(QStringLiteral("list.xml")), 4000));
    ASSERT_GT(list.size(), 2 << 20);
    for (qint64 limit : {qint64(0), qint64(100), qint64(1) << 20, qint64(list.size() - 10)}) {
        TFailingDevice device(list, limit);
        device.open(QIODevice::ReadOnly);
        EXPECT_THROW(ReadRecordsetXml(device), EInOutError) << limit;
    }
    TFailingDevice whole(list, list.size());
    whole.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadRecordsetXml(whole).rows.size(), 4000u);
}
