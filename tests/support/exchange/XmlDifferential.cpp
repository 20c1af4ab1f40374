#include "XmlDifferential.h"

#include "exchange/RecordsetXmlReader.h"
#include "exchange/RecordsetXmlWriter.h"
#include "exchange/XmlScanner.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>
#include <set>
#include <utility>

namespace {
// UTF-8 as it is, a leading U+FEFF included.
QString Q(std::string_view utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool IsNameChar(char32_t c, bool start)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 0xc0 && c <= 0xd6) || (c >= 0xd8 && c <= 0xf6) ||
        (c >= 0xf8 && c <= 0x2ff) || (c >= 0x370 && c <= 0x37d) || (c >= 0x37f && c <= 0x1fff) || c == 0x200c || c == 0x200d ||
        (c >= 0x2070 && c <= 0x218f) || (c >= 0x2c00 && c <= 0x2fef) || (c >= 0x3001 && c <= 0xd7ff) ||
        (c >= 0xf900 && c <= 0xfdcf) || (c >= 0xfdf0 && c <= 0xfffd) || (c >= 0x10000 && c <= 0xeffff))
        return true;
    return !start && (c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xb7 || (c >= 0x300 && c <= 0x36f) || c == 0x203f ||
                      c == 0x2040);
}

bool IsNcName(const QString& name)
{
    const QList<uint> chars = name.toUcs4();
    for (qsizetype i = 0; i < chars.size(); ++i)
        if (!IsNameChar(chars[i], i == 0))
            return false;
    return !chars.isEmpty();
}

// A qualified name of XML 1.0 (fifth edition) with namespaces: NCName, or NCName:NCName.
bool IsQualifiedName(const QString& name)
{
    const qsizetype colon = name.indexOf(u':');
    return colon < 0 ? IsNcName(name) : IsNcName(name.left(colon)) && IsNcName(name.mid(colon + 1));
}

QString Decoded(const QByteArray& bytes);

// The names of a declaration, in order, where it repeats one or has them out of order.
bool DeclarationOutOfOrder(const QByteArray& bytes)
{
    static const QRegularExpression declaration(QStringLiteral("^<\\?xml\\s([^?]*)\\?>"));
    static const QRegularExpression pseudo(QStringLiteral("([A-Za-z]+)\\s*="));
    const QRegularExpressionMatch m = declaration.match(Decoded(bytes.left(600)));
    if (!m.hasMatch())
        return false;
    const QStringList order = {QStringLiteral("version"), QStringLiteral("encoding"), QStringLiteral("standalone")};
    qsizetype last = -1;
    for (auto it = pseudo.globalMatch(m.captured(1)); it.hasNext();) {
        const qsizetype at = order.indexOf(it.next().captured(1));
        if (at <= last)
            return true;
        last = at;
    }
    return false;
}

QString Expanded(const QString& ns, const QString& local) { return u'{' + ns + u'}' + local; }

// Text gathered between two structural events, inside the root only.
void FlushText(std::vector<TXmlEvent>& events, QString& text)
{
    if (!text.isEmpty())
        events.push_back({'t', {}, text});
    text.clear();
}

QString Describe(const TXmlEvent& e) { return QStringLiteral("%1 %2 [%3]").arg(QChar::fromLatin1(e.kind), e.name, e.value); }

// An attribute value as the scanner gives it against the same value normalised: the scanner
// keeps a literal TAB, CR, LF or CR LF, where normalising leaves one space.
bool SameValue(const QString& scanned, const QString& normalised)
{
    // reach[i]: the positions in normalised that scanned[0, i) can stand for.
    std::vector<std::set<qsizetype>> reach(static_cast<size_t>(scanned.size()) + 2);
    reach[0].insert(0);
    for (qsizetype i = 0; i < scanned.size(); ++i) {
        const QChar c = scanned[i];
        const bool blank = c == u'\t' || c == u'\n' || c == u'\r';
        const bool crlf = c == u'\r' && i + 1 < scanned.size() && scanned[i + 1] == u'\n';
        for (const qsizetype j : reach[static_cast<size_t>(i)]) {
            if (j >= normalised.size())
                continue;
            if (normalised[j] == c || (blank && normalised[j] == u' '))
                reach[static_cast<size_t>(i) + 1].insert(j + 1);
            if (crlf && normalised[j] == u' ')
                reach[static_cast<size_t>(i) + 2].insert(j + 1);
        }
    }
    return reach[static_cast<size_t>(scanned.size())].count(normalised.size()) > 0;
}

// A literal C0 control character other than TAB, LF and CR (NUL aside).
bool HasRawControl(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() > 0 && c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; });
}

// An XML declaration that names an encoding other than UTF-8 or UTF-16.
bool DeclaresOtherEncoding(const QByteArray& bytes)
{
    static const QRegularExpression declaration(QStringLiteral("^<\\?xml[^>]*encoding\\s*=\\s*['\"]([^'\"]*)['\"]"));
    const QRegularExpressionMatch m = declaration.match(QString::fromLatin1(bytes.left(200)));
    return m.hasMatch() && !m.captured(1).startsWith(QStringLiteral("utf-"), Qt::CaseInsensitive);
}

bool HasUnpairedSurrogate(const QString& text)
{
    for (qsizetype c = 0; c < text.size(); ++c)
        if (text[c].isSurrogate() && !(text[c].isHighSurrogate() && c + 1 < text.size() && text[++c].isLowSurrogate()))
            return true;
    return false;
}

// The document as text, decoded as either reader would, for the checks above.
QString Decoded(const QByteArray& bytes)
{
    if (bytes.startsWith("\xff\xfe"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xfe\xff"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    return QString::fromUtf8(bytes);
}
}  // namespace

TXmlReading ReadWithScanner(const QByteArray& bytes)
{
    TXmlReading r;
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    TXmlScanner x(device, qint64(1) << 40);
    std::vector<QString> open;
    QString text;
    try {
        for (TXmlScanner::TToken t; (t = x.Next()) != TXmlScanner::TToken::Eof;) {
            switch (t) {
            case TXmlScanner::TToken::Start: {
                FlushText(r.events, text);
                open.push_back(Expanded(Q(x.Ns()), Q(x.Local())));
                r.badName = r.badName || !IsQualifiedName(Q(x.RawName()));
                for (const TXmlAttribute& a : x.Attributes())
                    r.badName = r.badName || !IsQualifiedName(Q(a.name));
                r.events.push_back({'<', open.back(), {}});
                for (const TXmlAttribute& a : x.Attributes())
                    if (a.name == "xmlns")
                        r.events.push_back({'n', QString(), Q(a.value)});
                    else if (a.prefix == "xmlns")
                        r.events.push_back({'n', Q(a.local), Q(a.value)});
                for (const TXmlAttribute& a : x.Attributes())
                    if (a.name != "xmlns" && a.prefix != "xmlns")
                        r.events.push_back(
                            {'@', Expanded(a.prefix.empty() ? QString() : Q(x.NamespaceOf(a.prefix)), Q(a.local)), Q(a.value)});
                break;
            }
            case TXmlScanner::TToken::End:
                FlushText(r.events, text);
                r.events.push_back({'>', open.back(), {}});
                open.pop_back();
                break;
            case TXmlScanner::TToken::Text:
                if (!open.empty())
                    text += Q(x.TextValue());
                break;
            case TXmlScanner::TToken::Eof:
                break;
            }
        }
        r.wellFormed = true;
    } catch (const ETallyraError& e) {
        r.error = e.Text();
    }
    return r;
}

TXmlReading ReadWithQt(const QByteArray& bytes)
{
    TXmlReading r;
    QXmlStreamReader x(bytes);
    x.setNamespaceProcessing(true);
    int depth = 0;
    QString text;
    while (!x.atEnd()) {
        switch (x.readNext()) {
        case QXmlStreamReader::StartElement:
            FlushText(r.events, text);
            ++depth;
            r.events.push_back({'<', Expanded(x.namespaceUri().toString(), x.name().toString()), {}});
            r.badName = r.badName || !IsQualifiedName(x.qualifiedName().toString());
            for (const QXmlStreamAttribute& a : x.attributes())
                r.badName = r.badName || !IsQualifiedName(a.qualifiedName().toString());
            for (const QXmlStreamNamespaceDeclaration& d : x.namespaceDeclarations())
                r.badName = r.badName || (!d.prefix().isEmpty() && !IsNcName(d.prefix().toString()));
            for (const QXmlStreamNamespaceDeclaration& d : x.namespaceDeclarations())
                r.events.push_back({'n', d.prefix().toString(), d.namespaceUri().toString()});
            for (const QXmlStreamAttribute& a : x.attributes())
                r.events.push_back({'@', Expanded(a.namespaceUri().toString(), a.name().toString()), a.value().toString()});
            break;
        case QXmlStreamReader::EndElement:
            FlushText(r.events, text);
            --depth;
            r.events.push_back({'>', Expanded(x.namespaceUri().toString(), x.name().toString()), {}});
            break;
        case QXmlStreamReader::Characters:
            if (depth > 0)
                text += x.text();
            break;
        case QXmlStreamReader::ProcessingInstruction:
            r.badName = r.badName || !IsNcName(x.processingInstructionTarget().toString());
            break;
        case QXmlStreamReader::EntityReference:
            // Undeclared without a DTD: no conforming reading of the document.
            r.events.push_back({'&', x.name().toString(), {}});
            break;
        default:
            break;
        }
    }
    r.wellFormed = !x.hasError();
    if (x.hasError())
        r.error = x.errorString() + QStringLiteral(" at line %1").arg(x.lineNumber());
    return r;
}

QString XmlDisagreement(const QByteArray& bytes)
{
    const TXmlReading scanned = ReadWithScanner(bytes);
    const TXmlReading qt = ReadWithQt(bytes);
    // Where the scanner departs on purpose:
    // - it refuses any DOCTYPE: no peer writes one, and internal entities are how a document is
    //   made to grow without bound;
    if (!scanned.wellFormed && scanned.error.contains(QStringLiteral("DOCTYPE")))
        return {};
    // - it refuses nesting deeper than a record set ever goes;
    if (!scanned.wellFormed && scanned.error.contains(QStringLiteral("元素嵌套过深")))
        return {};
    // - it refuses encodings other than UTF-8 and UTF-16, the only ones it decodes;
    if (!scanned.wellFormed && (scanned.error.contains(QStringLiteral("编码")) || DeclaresOtherEncoding(bytes)))
        return {};
    // - it takes literal C0 control characters, which the other invoicing points' writer puts
    //   into values as they are (and QXmlStreamReader takes them inside names, too: no verdict
    //   on such a document is compared);
    if (scanned.wellFormed != qt.wellFormed && HasRawControl(Decoded(bytes)))
        return {};
    // - QXmlStreamReader takes names with characters no XML name holds, and refuses some that
    //   the fifth edition of XML 1.0 allows;
    if (!scanned.wellFormed && qt.wellFormed && qt.badName)
        return {};
    if (scanned.wellFormed && !qt.wellFormed && !scanned.badName && qt.error.startsWith(QStringLiteral("Invalid XML name")))
        return {};
    // - QXmlStreamReader reads malformed UTF-8 as U+FFFD, where XML calls it a fatal error;
    if (!scanned.wellFormed && qt.wellFormed && scanned.error.startsWith(QStringLiteral("不是UTF-8文本"))) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        (void)utf8.decode(bytes);
        if (utf8.hasError())
            return {};
    }
    // - QXmlStreamReader passes an unpaired surrogate of UTF-16 on, where XML has no such character;
    if (!scanned.wellFormed && qt.wellFormed && scanned.error.startsWith(QStringLiteral("不是UTF-16文本")) &&
        HasUnpairedSurrogate(Decoded(bytes)))
        return {};
    // - it takes a declaration's version, encoding and standalone once each and in that order;
    if (!scanned.wellFormed && qt.wellFormed && DeclarationOutOfOrder(bytes))
        return {};
    // - QXmlStreamReader misses a namespace declared twice on one element.
    if (!scanned.wellFormed && qt.wellFormed && scanned.error.contains(QStringLiteral("属性xmlns")) &&
        scanned.error.contains(QStringLiteral("重复")))
        return {};

    if (scanned.wellFormed != qt.wellFormed)
        return scanned.wellFormed ? QStringLiteral("only the scanner reads it; QXmlStreamReader: ") + qt.error
                                  : QStringLiteral("only QXmlStreamReader reads it; scanner: ") + scanned.error;
    if (!scanned.wellFormed)
        return {};
    if (scanned.badName)
        return QStringLiteral("the scanner took a name XML does not allow");
    const size_t n = std::min(scanned.events.size(), qt.events.size());
    for (size_t i = 0; i < n; ++i) {
        const TXmlEvent& s = scanned.events[i];
        const TXmlEvent& q = qt.events[i];
        const bool same =
            s.kind == q.kind && s.name == q.name && (s.value == q.value || (s.kind == '@' && SameValue(s.value, q.value)));
        if (!same)
            return QStringLiteral("event %1: scanner %2, QXmlStreamReader %3").arg(i).arg(Describe(s), Describe(q));
    }
    if (scanned.events.size() != qt.events.size())
        return QStringLiteral("scanner has %1 events, QXmlStreamReader %2").arg(scanned.events.size()).arg(qt.events.size());
    return {};
}

QString RecordsetFault(const QByteArray& bytes, bool* read)
{
    TRecordset rs;
    try {
        rs = ReadRecordsetXml(bytes);
    } catch (const ERecordsetFormat&) {
        return {};
    }
    if (read)
        *read = true;
    if (const QString why = XmlDisagreement(bytes); !why.isEmpty())
        return QStringLiteral("read a record set where the XML readers disagree: ") + why;
    if (!ReadWithScanner(bytes).wellFormed && !ReadWithQt(bytes).wellFormed)
        return QStringLiteral("the record-set reader took a document that is no XML");
    QByteArray written;
    QBuffer out(&written);
    out.open(QIODevice::WriteOnly);
    try {
        WriteRecordsetXml(out, rs);
    } catch (const ERecordsetFormat&) {
        return {};  // a value or a name the format cannot carry
    }
    TRecordset back;
    try {
        back = ReadRecordsetXml(written);
    } catch (const ERecordsetFormat& e) {
        return QStringLiteral("the reader refused what the writer wrote: ") + e.Text();
    }
    if (back.fields.size() != rs.fields.size())
        return QStringLiteral("the columns changed on the way back");
    for (size_t f = 0; f < rs.fields.size(); ++f)
        if (back.fields[f].name != rs.fields[f].name)
            return QStringLiteral("a column name changed on the way back: ") + rs.fields[f].name;
    return back.rows == rs.rows ? QString() : QStringLiteral("the rows changed on the way back");
}
