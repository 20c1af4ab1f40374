// The hand-written scanner against QXmlStreamReader: the fixtures and seeded mutations of them
// must be refused by both or read alike by both.
#include "QtPrinters.h"
#include "ExchangeTestData.h"
#include "FileBytes.h"
#include "XmlDifferential.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <random>

namespace {
constexpr std::string_view kHeader =
    "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\r\n"
    "\txmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'>\r\n";

// Small documents that reach corners the peers' files do not.
std::vector<QByteArray> Seeds()
{
    const QByteArray head(kHeader.data(), static_cast<qsizetype>(kHeader.size()));
    return {
        head +
            "<s:Schema id='RowsetSchema'><s:ElementType name='row' content='eltOnly'>"
            "<s:AttributeType name='a' rs:number='1'/><s:AttributeType name='b' rs:number='2'>"
            "<s:datatype dt:type='int'/></s:AttributeType></s:ElementType></s:Schema>\r\n"
            "<rs:data>\r\n\t<z:row a='x&amp;y&#x4e2d;' b='1'/>\r\n\t<z:row a=\"q'uote\" b='2'/>\r\n</rs:data>\r\n</xml>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone='yes'?>\n<!-- c --><?pi x?><r xmlns='u:d' xmlns:p='u:p'>"
        "<p:e p:a='1' b='2'>t<![CDATA[<&>]]>x&#65;&lt;<!--x-->y</p:e><e xmlns='' xmlns:p='u:q'><p:f/></e></r>\n",
        "<r xml:lang='en' a='&#9;&#10;&#13; x\ty\r\nz\rw'>a\r\nb\rc<?p?>\r\n</r>",
        "<a:r xmlns:a='u:1'><a:r xmlns:a='u:2' xmlns:b='u:1' b:x='1' a:x='2'/></a:r>",
        "<r>\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\xef\xbb\xbf</r>",
        "<r a = '1'\n b\t=\"2\" ></r >",
    };
}

std::vector<QByteArray> Corpus()
{
    std::vector<QByteArray> files;
    for (const QString& dir : {QStringLiteral(TALLYRA_HOSTILE_FIXTURES), Fixture(QString())}) {
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                files.push_back(f.readAll());
        }
    }
    for (QByteArray& s : Seeds())
        files.push_back(std::move(s));
    return files;
}

// Deterministic damage to a document, of the kinds that trip XML readers.
class TMutator {
public:
    explicit TMutator(quint32 seed) : m_random(seed) {}

    QByteArray operator()(QByteArray doc)
    {
        const int steps = 1 + static_cast<int>(Below(3));
        for (int s = 0; s < steps; ++s)
            doc = Once(std::move(doc));
        return doc;
    }

private:
    quint32 Below(quint32 n) { return n == 0 ? 0 : static_cast<quint32>(m_random() % n); }
    qsizetype At(const QByteArray& doc) { return static_cast<qsizetype>(Below(static_cast<quint32>(doc.size()) + 1)); }

    // A position just inside a start tag, after its name; -1 when there is none.
    qsizetype InStartTag(const QByteArray& doc)
    {
        for (int tries = 0; tries < 8; ++tries) {
            qsizetype lt = doc.indexOf('<', At(doc));
            if (lt < 0 || lt + 1 >= doc.size())
                continue;
            const char c = doc[lt + 1];
            if (c == '/' || c == '!' || c == '?')
                continue;
            qsizetype k = lt + 1;
            while (k < doc.size() && doc[k] != ' ' && doc[k] != '>' && doc[k] != '/' && doc[k] != '\r' && doc[k] != '\n' &&
                   doc[k] != '\t')
                ++k;
            return k;
        }
        return -1;
    }

    // The span of an attribute's value with its quotes; first < 0 when there is none.
    std::pair<qsizetype, qsizetype> Value(const QByteArray& doc)
    {
        const qsizetype eq = doc.indexOf("='", At(doc));
        if (eq < 0)
            return {-1, -1};
        const qsizetype close = doc.indexOf('\'', eq + 2);
        return {eq + 1, close < 0 ? -1 : close + 1};
    }

    QByteArray Once(QByteArray doc)
    {
        static const char* const kBytes = "<>&;'\"/=: \r\n\t!?-[]#xX0";
        static const QList<QByteArray> kSnippets =
            QByteArray(
                "&#0;|&#x0;|&#xD800;|&#xDFFF;|&#1114112;|&#x110000;|&#x10FFFF;|&#9;|&#13;|&#x1;|&#x1F;|&#xFFFE;|&#65;|&#x;|&#;|&"
                "amp;|&lt;|&gt;|&quot;|&apos;|&bogus;|&amp|&|<![CDATA[x]]>|<![CDATA[<&']]>|<![CDATA[|]]>|]>|<!-- c -->|<!-- a--b "
                "-->|<!--->|<!---->|<?pi data?>|<?pi?>|<?"
                "?>|<?xml version='1.0'?>|<?XML x?>|<?xml-stylesheet href='a'?>|<!DOCTYPE xml>|<!DOCTYPE xml [<!ENTITY e "
                "'x'>]>|&e;|\xef\xbb\xbf|\r\n|\r|\n|\t|<|>|'|\"|<a/>|</a>|<a:b/>|<xmlns:a/>|<z:row/"
                ">|\x01|\x0c|\x7f|\xc2\x80|\xef\xbf\xbe|\xed\xa0\x80|\xc0\xaf|\xff|\xe4\xb8|\xc2\xa0|\xd7\x90")
                .split('|');
        static const QList<QByteArray> kAttributes =
            QByteArray(
                " a='1'| a='1' a='2'| xmlns:z='urn:other'| xmlns:rs='urn:x'| xmlns=''| xmlns='urn:d'| xmlns:p=''| "
                "xmlns:xml='http://www.w3.org/XML/1998/namespace'| xmlns:xml='urn:x'| xmlns:xmlns='urn:x'| "
                "xmlns:p='http://www.w3.org/2000/xmlns/'| xml:lang='en'| q:a='1'| rs:a='1' z:a='2'| a:b:c='1'| a=\"<\"| a='&'| "
                "a='x'y'| a=\"it's\"| a='\t\r\n'| a='&#13;&#10;'| a='\r\n x'| 1a='1'| a:='1'| :a='1'| a='1'b='2'| a| a=1| "
                "xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' s:x='1'")
                .split('|');
        if (doc.isEmpty())
            return kSnippets[Below(static_cast<quint32>(kSnippets.size()))];
        switch (Below(14)) {
        case 0:
            doc[At(doc) % doc.size()] = kBytes[Below(static_cast<quint32>(std::strlen(kBytes)))];
            break;
        case 1:
            doc[At(doc) % doc.size()] = static_cast<char>(m_random());
            break;
        case 2:
            doc.truncate(At(doc));
            break;
        case 3:
        case 4:
            doc.insert(At(doc), kSnippets[Below(static_cast<quint32>(kSnippets.size()))]);
            break;
        case 5:
        case 6:
            if (const qsizetype k = InStartTag(doc); k >= 0)
                doc.insert(k, kAttributes[Below(static_cast<quint32>(kAttributes.size()))]);
            break;
        case 7:
            if (const auto [from, to] = Value(doc); from >= 0 && to > from) {
                const qsizetype start = doc.lastIndexOf(' ', from);
                if (start >= 0)
                    doc.insert(to, doc.mid(start, to - start));  // the attribute twice
            }
            break;
        case 8:
            if (const auto [from, to] = Value(doc); from >= 0 && to > from) {
                static const char* const kValues[] = {"'a<b'",    "'a&b'", "\"a'b\"",       "'a\"b'", "'&lt;&amp;&apos;'",
                                                      "'\r\n\t'", "''",    "'&#x20;&#32;'", "'a]]>b'"};
                doc.replace(from, to - from, kValues[Below(std::size(kValues))]);
            }
            break;
        case 9: {
            // Mixed case in a name.
            for (int tries = 0; tries < 16; ++tries) {
                const qsizetype i = At(doc) % doc.size();
                const char c = doc[i];
                if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                    doc[i] = static_cast<char>(c ^ 0x20);
                    break;
                }
            }
            break;
        }
        case 10: {
            // Prefixes bound elsewhere, or bound to another namespace.
            static const std::pair<const char*, const char*> kRebind[] = {
                {"xmlns:z='#RowsetSchema'", "xmlns:z='#rowsetschema'"},
                {"xmlns:rs=", "xmlns:RS="},
                {"z:row", "s:row"},
                {"xmlns:rs='urn:schemas-microsoft-com:rowset'", "xmlns:q='urn:schemas-microsoft-com:rowset'"},
                {"<rs:data>", "<rs:data xmlns:rs='urn:other'>"},
                {"<rs:data>", "<q:data xmlns:q='urn:schemas-microsoft-com:rowset'>"},
                {"</rs:data>", "</q:data>"},
                {"xmlns:z=", "xmlns="},
                {"<z:row", "<row"}};
            const auto& [from, to] = kRebind[Below(std::size(kRebind))];
            const qsizetype i = doc.indexOf(from, At(doc) / 2);
            if (i >= 0)
                doc.replace(i, static_cast<qsizetype>(std::strlen(from)), to);
            break;
        }
        case 11: {
            // Line ends or quotes made all one kind.
            static const std::pair<const char*, const char*> kAll[] = {
                {"\r\n", "\r"}, {"\r\n", "\n"}, {"'", "\""}, {"\n", "\r\n"}};
            const auto& [from, to] = kAll[Below(std::size(kAll))];
            doc.replace(from, to);
            break;
        }
        case 12: {
            static const char* const kHeads[] = {"\xef\xbb\xbf", "<?xml version='1.0' encoding='UTF-8'?>\r\n",
                                                 "<?xml version='1.0' encoding='ISO-8859-1'?>"};
            doc.prepend(kHeads[Below(std::size(kHeads))]);
            break;
        }
        default: {
            QStringEncoder to(Below(2) ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE, QStringEncoder::Flag::WriteBom);
            doc = to.encode(QString::fromUtf8(doc));
            break;
        }
        }
        return doc;
    }

    std::mt19937 m_random;
};

std::string Shown(const QByteArray& bytes)
{
    QByteArray shown = bytes.left(400).toPercentEncoding(" <>/='\":!?-[]#;&");
    return shown.toStdString() + (bytes.size() > 400 ? "..." : "");
}

}  // namespace

TEST(XmlScannerDifferential, ReadsWhatQXmlStreamReaderReadsEventByEvent)
{
    const QByteArray doc = "<?xml version='1.0'?><r xmlns='u:d' xmlns:p='u:p' p:a='1&amp;2' b='x\ty'>t<![CDATA[<]]><p:e/></r>";
    const std::vector<TXmlEvent> expected = {{'<', QStringLiteral("{u:d}r"), {}},
                                             {'n', QString(), QStringLiteral("u:d")},
                                             {'n', QStringLiteral("p"), QStringLiteral("u:p")},
                                             {'@', QStringLiteral("{u:p}a"), QStringLiteral("1&2")},
                                             {'@', QStringLiteral("{}b"), QStringLiteral("x\ty")},
                                             {'t', {}, QStringLiteral("t<")},
                                             {'<', QStringLiteral("{u:p}e"), {}},
                                             {'>', QStringLiteral("{u:p}e"), {}},
                                             {'>', QStringLiteral("{u:d}r"), {}}};
    const TXmlReading scanned = ReadWithScanner(doc);
    ASSERT_TRUE(scanned.wellFormed) << scanned.error.toStdString();
    EXPECT_EQ(scanned.events, expected);
    // QXmlStreamReader makes the literal TAB a space, which the comparison forgives.
    EXPECT_EQ(XmlDisagreement(doc), QString());
}

TEST(XmlScannerDifferential, FixturesAndTheirMutationsReadAsQXmlStreamReaderReadsThem)
{
    SKIP_WITHOUT_FIXTURES();
    const std::vector<QByteArray> corpus = Corpus();
    ASSERT_GE(corpus.size(), 60u);
    TMutator mutate(20261209);
    int cases = 0, wellFormed = 0, recordsets = 0;
    std::vector<std::string> found;
    const auto check = [&](const QByteArray& doc) {
        ++cases;
        wellFormed += ReadWithQt(doc).wellFormed;
        bool read = false;
        for (const QString& why : {XmlDisagreement(doc), RecordsetFault(doc, &read)})
            if (!why.isEmpty() && found.size() < 10)
                found.push_back(why.toStdString() + "\n    input: " + Shown(doc));
        recordsets += read;
    };
    for (const QByteArray& doc : corpus) {
        check(doc);
        if (doc.size() > 100000)
            continue;  // the mutations go to the small files; the large ones are read once
        for (int m = 0; m < 45; ++m)
            check(mutate(doc));
    }
    EXPECT_TRUE(found.empty()) << found.size() << " disagreements (ten at most)";
    for (const std::string& f : found)
        ADD_FAILURE() << f;
    // The mutations must leave enough of both kinds for the comparison to mean something.
    EXPECT_GE(cases, 2500);
    EXPECT_GE(wellFormed, cases / 5);
    EXPECT_LE(wellFormed, cases * 4 / 5);
    EXPECT_GE(recordsets, cases / 10);
}

// The smallest inputs of each disagreement found, and the departures on purpose (a DOCTYPE, an
// encoding it does not decode): the scanner's verdict, and no difference left.
TEST(XmlScannerDifferential, FoundDisagreementsStayMended)
{
    const std::pair<QByteArray, bool> cases[] = {
        {"<r>", false},
        {"<!DOCTYPE r [<!ENTITY e 'x'>]><r>&e;</r>", false},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><r>abc</r>", false},
        {"<r a\x80='1'/>", false},
        {"<r><!-- a--b --></r>", false},
        {"<r><!-- a ---></r>", false},
        {"<r><!----></r>", true},
        {" <?xml version='1.0'?><r/>", false},
        {"<r/><?xml version='1.0'?>", false},
        {"<?xml version='1.0' encoding='UTF-8' standalone='no'?><r/>", true},
        {"<?xml version='2.0'?><r/>", false},
        {"<?xml version='1.1'?><r/>", false},
        {"<?xml version=\"1.0\" ?><r/>", true},
        {"<?xml version = '1.0'\r\n\tencoding = 'utf-8' ?><r/>", true},
        {"<?xml encoding='UTF-8'?><r/>", false},
        {"<?xml version='1.0' standalone='maybe'?><r/>", false},
        {"<?xml version='1.0' standalone='yes' standalone='yes'?><r/>", false},
        {"<?xml version='1.0'encoding='UTF-8'?><r/>", false},
        {"<?xml version='1.0' encoding='gb2312'?><r>\xb0\xa1</r>", false},
        {"<?XML version='1.0'?><r/>", false},
        {"<r><?Xml y?></r>", false},
        {"<r><?a:b?></r>", false},
        {"<r><?xml-x data?></r>", true},
        {"<r><?p\xc2\x80?></r>", false},
        {"<r>a]]>b</r>", false},
        {"<r a=']]>'/>", true},
        {"<r>&#x1;</r>", false},
        {"<r a='&#31;'/>", false},
        {"<r a='&#9;&#10;&#13;'/>", true},
        {"<r xmlns:p=''/>", false},
        {"<r xmlns:xmlns='u:x'/>", false},
        {"<r xmlns:xml='u:x'/>", false},
        {"<r xmlns:xml='http://www.w3.org/XML/1998/namespace'/>", true},
        {"<r xmlns:p='http://www.w3.org/XML/1998/namespace'/>", false},
        {"<r xmlns='http://www.w3.org/2000/xmlns/'/>", false},
        {"<xmlns:r/>", false},
        {"<r xmlns:p='u:x' xmlns:q='u:x' p:a='1' q:a='2'/>", false},
        {"<r xmlns:p='u:x' xmlns:q='u:y' p:a='1' q:a='2'/>", true},
        {"<r xmlns:p='u:x' xmlns:p='u:x'/>", false},
        {"<r a\xc2\xa0='1'/>", false},
        {"<r\xe2\x9c\xbd/>", false},
        {"<r a$b='1'/>", false},
        {"<\xe4\xb8\xad\xef\xbf\xbd\xcc\x80/>", true},
        {"<r>\xef\xbf\xbe</r>", false},
        {"<r>\xef\xbf\xbd</r>", true},
        {QByteArray("\xff\xfe<\0r\0/\0>\0\x00\xd8", 12), false},
        {QByteArray("\xff\xfe<\0r\0>\0\x00\xd8<\0/\0r\0>\0", 18), false},
        {QByteArray("\xff\xfe<\0r\0>\0\x3d\xd8\x00\xde<\0/\0r\0>\0", 20), true},
        {QByteArray("\xff\xfe<\0r\0/\0>\0 \0", 12), true},
        {QByteArray("\xff\xfe\xff\xfe<\0r\0/\0>\0", 12), false},
        {"\xef\xbb\xbf\xef\xbb\xbf<r/>", false},
        {"<a:r xmlns:a='u:1'><a:0/></a:r>", false},
        {"<r xmlns:a='u:1' a:.x='1'/>", false},
        {"<r xmlns:dt='u:1' dt:4ype='x'/>", false},
        {"<r xmlns:a='u:1' a:x.-0='1'/>", true},
        {"\xef\xbb\xbf<?xml version='1.0' standalone='yes' standalone='yes'?><r/>", false},
    };
    for (const auto& [input, wellFormed] : cases) {
        SCOPED_TRACE(Shown(input));
        EXPECT_EQ(ReadWithScanner(input).wellFormed, wellFormed);
        EXPECT_EQ(XmlDisagreement(input), QString());
    }
}

// Line ends in text and in namespace names are normalised; values keep theirs, and the control
// characters peers write into them.
TEST(XmlScannerDifferential, LineEndsInTextAndNamespacesAreNormalisedButValuesKeepTheirs)
{
    const QByteArray text = "<r>a\r\nb\rc<![CDATA[d\r\ne]]>&#13;</r>", ns = "<r xmlns:p='u:\tx\r\ny' a='u:\tx\r\ny'><p:e/></r>";
    const struct {
        QByteArray doc;
        size_t at;
        TXmlEvent event;
    } rows[] = {
        {text, 1, {'t', {}, QStringLiteral("a\nb\ncd\ne\r")}},
        {text, 2, {'>', QStringLiteral("{}r"), {}}},
        {ns, 1, {'n', QStringLiteral("p"), QStringLiteral("u: x y")}},
        {ns, 2, {'@', QStringLiteral("{}a"), QStringLiteral("u:\tx\r\ny")}},
        {ns, 3, {'<', QStringLiteral("{u: x y}e"), {}}},
        {"<r a='x\x01y\r\nz'/>", 1, {'@', QStringLiteral("{}a"), QStringLiteral("x\x01y\r\nz")}},
    };
    for (const auto& [doc, at, event] : rows) {
        SCOPED_TRACE(Shown(doc));
        const TXmlReading scanned = ReadWithScanner(doc);
        ASSERT_TRUE(scanned.wellFormed) << scanned.error.toStdString();
        ASSERT_GT(scanned.events.size(), at);
        EXPECT_EQ(scanned.events[at], event);
        EXPECT_EQ(XmlDisagreement(doc), QString());
    }
}

// The scanner reads a megabyte at a time: a name or a surrogate pair the read cuts is read whole.
TEST(XmlScannerDifferential, NamesAndSurrogatePairsCutByAReadAreReadWhole)
{
    constexpr qsizetype kRead = qsizetype(1) << 20;
    // "中" from the last byte of the first read on.
    const QByteArray head = "<r><!--";
    const QByteArray utf8 = head + QByteArray(kRead - 1 - head.size() - 5, 'x') + "--><x\xe4\xb8\xad\xe6\x96\x87 a='1'/></r>";
    ASSERT_EQ(utf8.mid(kRead - 1, 3), QByteArray("\xe4\xb8\xad"));
    const TXmlReading named = ReadWithScanner(utf8);
    ASSERT_TRUE(named.wellFormed) << named.error.toStdString();
    ASSERT_EQ(named.events.size(), 5u);
    EXPECT_EQ(named.events[1].name, QStringLiteral("{}x中文"));
    EXPECT_EQ(XmlDisagreement(utf8), QString());

    // U+1F600 in UTF-16LE, its high half the last unit of the first read.
    const QString text = QString(kRead / 2 - 5, u'a') + QStringLiteral("😀");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray wide = utf16.encode(QStringLiteral("<r>") + text + QStringLiteral("</r>"));
    ASSERT_EQ(wide.mid(kRead - 2, 4), QByteArray("\x3d\xd8\x00\xde", 4));
    const TXmlReading paired = ReadWithScanner(wide);
    ASSERT_TRUE(paired.wellFormed) << paired.error.toStdString();
    ASSERT_EQ(paired.events.size(), 3u);
    EXPECT_EQ(paired.events[1].value, text);
    EXPECT_EQ(XmlDisagreement(wide), QString());
}
