#include "FailingDevice.h"
#include "ReportTestData.h"
#include "reports/RecordsetXml.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QString Str(const TRecordset& rs, int row, const char* field) { return rs.rows.at(row).at(rs.FieldIndex(QString::fromUtf8(field))).toString(); }
QVariant Val(const TRecordset& rs, int row, const char* field) { return rs.rows.at(row).at(rs.FieldIndex(QString::fromUtf8(field))); }

// A file of our own columns: text, number and integer.
TRecordset Mixed(const std::vector<TRecord>& rows)
{
    return TRecordset{{TextField(QStringLiteral("txt")), NumberField(QStringLiteral("amount")), IntegerField(QStringLiteral("n"))}, rows};
}

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
    EXPECT_EQ(Str(LoadRecordsetXmlFile(Fixture(QStringLiteral("strings_korean_unicode.xml"))), 1, "WORD"), QStringLiteral("한글"));

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
    EXPECT_TRUE(bytes.contains("\t<z:row txt='a&#x27;&#x22;&#x26;&#x3c;&#x3e;&#x9;&#xD;&#xA;b 中' amount='0.10000000000000001' "
                               "n='-12445'/>\r\n\t<z:row/>\r\n\t<z:row txt='' amount='125000.5' n='0'/>\r\n</rs:data>\r\n</xml>"))
        << bytes.toStdString();
    EXPECT_EQ(ReadRecordsetXml(bytes).rows, rs.rows);
    // Another XML parser reads the file as written.
    EXPECT_EQ(PythonOn(bytes, QStringLiteral("import sys, json, xml.etree.ElementTree as ET\n"
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
