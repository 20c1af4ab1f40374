#include "RecordsetXml.h"

#include "XmlScanner.h"
#include "core/WholeFile.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {
constexpr std::string_view kSchemaNs = "uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882";
constexpr std::string_view kTypeNs = "uuid:C2F41010-65B3-11d1-A29F-00AA00C14882";
constexpr std::string_view kRowsetNs = "urn:schemas-microsoft-com:rowset";
constexpr std::string_view kRowNs = "#RowsetSchema";

QString CellName(size_t row, const QString& column) { return QStringLiteral("第%1行%2列").arg(row).arg(column); }

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// ---------------------------------------------------------------- numbers in the C locale

// -?digits
bool IsIntegerText(std::string_view s)
{
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// -?(digits[.digits*] | .digits)([eE][+-]?digits)? : no blanks, no "inf" or "nan", no "+" in front.
bool IsNumberText(std::string_view s)
{
    size_t i = 0;
    const auto digits = [&] {
        const size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < s.size() && s[i] == '-')
        ++i;
    size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == s.size();
}

}  // namespace

std::optional<qlonglong> IntegerFromText(std::string_view s)
{
    qlonglong v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (!IsIntegerText(s) || r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<double> NumberFromText(std::string_view s)
{
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (!IsNumberText(s) || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// ---------------------------------------------------------------- rows

namespace {
enum : quint8 { kText, kInteger, kUnsigned, kNumber, kBadText };

template <class T>
quint64 Bits(T v)
{
    quint64 bits = 0;
    static_assert(sizeof(T) == 8);
    std::memcpy(&bits, &v, 8);
    return bits;
}
}  // namespace

void TRowDraft::Clear()
{
    for (const TCell& c : m_cells)
        m_at[static_cast<size_t>(c.field)] = -1;
    m_cells.clear();
    m_text.clear();
}

TRowDraft::TCell& TRowDraft::Cell(int field, quint8 kind)
{
    if (static_cast<size_t>(field) >= m_at.size())
        m_at.resize(static_cast<size_t>(field) + 1, -1);
    int& at = m_at[static_cast<size_t>(field)];
    if (at < 0) {
        at = static_cast<int>(m_cells.size());
        m_cells.push_back({field, kind, 0});
    }
    TCell& c = m_cells[static_cast<size_t>(at)];
    c.kind = kind;
    return c;
}

void TRowDraft::SetNull(int field)
{
    if (field < 0 || static_cast<size_t>(field) >= m_at.size() || m_at[static_cast<size_t>(field)] < 0)
        return;
    const size_t at = static_cast<size_t>(m_at[static_cast<size_t>(field)]);
    m_cells.erase(m_cells.begin() + static_cast<std::ptrdiff_t>(at));
    m_at[static_cast<size_t>(field)] = -1;
    for (size_t i = at; i < m_cells.size(); ++i)
        m_at[static_cast<size_t>(m_cells[i].field)] = static_cast<int>(i);
}

void TRowDraft::SetText(int field, std::string_view utf8)
{
    Cell(field, kText).bits = (static_cast<quint64>(m_text.size()) << 32) | utf8.size();
    m_text.append(utf8);
}

void TRowDraft::SetUncheckedText(int field, std::string_view bytes)
{
    SetText(field, bytes);
    if (!IsUtf8(bytes))
        Cell(field, kBadText);
}

void TRowDraft::SetInteger(int field, qlonglong value) { Cell(field, kInteger).bits = static_cast<quint64>(value); }

void TRowDraft::SetUnsigned(int field, qulonglong value) { Cell(field, kUnsigned).bits = value; }

void TRowDraft::SetNumber(int field, double value) { Cell(field, kNumber).bits = Bits(value); }

// UTF-16 to UTF-8 without a temporary; an unpaired surrogate becomes U+FFFD and marks the text
// as one the file cannot carry.
void TRowDraft::SetString(int field, QStringView text)
{
    const size_t from = m_text.size();
    m_text.resize(from + static_cast<size_t>(text.size()) * 3);
    char* out = m_text.data() + from;
    bool bad = false;
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p != end) {
        char32_t c = *p++;
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), *p++);
        } else if (QChar::isSurrogate(c)) {
            bad = true;
            c = 0xfffd;
        }
        if (c < 0x800) {
            *out++ = static_cast<char>(0xc0 | (c >> 6));
        } else if (c < 0x10000) {
            *out++ = static_cast<char>(0xe0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        } else {
            *out++ = static_cast<char>(0xf0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3f));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        }
        *out++ = static_cast<char>(0x80 | (c & 0x3f));
    }
    const size_t length = static_cast<size_t>(out - (m_text.data() + from));
    m_text.resize(from + length);
    Cell(field, bad ? kBadText : kText).bits = (static_cast<quint64>(from) << 32) | length;
}

void TRowDraft::SetValue(int field, const QVariant& value)
{
    if (value.isNull()) {
        SetNull(field);
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        SetInteger(field, value.toLongLong());
        return;
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            SetUnsigned(field, u);
        else
            SetInteger(field, static_cast<qlonglong>(u));
        return;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        SetNumber(field, value.toDouble());
        return;
    case QMetaType::QString:
        SetString(field, *static_cast<const QString*>(value.constData()));
        return;
    default:
        SetString(field, value.toString());
    }
}

TRowStore::TRowStore(const std::vector<TRecord>& rows)
{
    for (const TRecord& r : rows)
        push_back(r);
}

TRowStore::TRowStore(std::initializer_list<TRecord> rows)
{
    for (const TRecord& r : rows)
        push_back(r);
}

const TRecord TRowStore::at(size_t row) const
{
    if (row >= size())
        throw std::out_of_range("TRowStore::at");
    return Row(row);
}

TRecord TRowStore::Row(size_t row) const
{
    TRecord rec(m_width);
    ForEachCell(row, [&](const TCell& c) {
        if (static_cast<size_t>(c.field) >= rec.size())
            rec.resize(static_cast<size_t>(c.field) + 1);
        QVariant& v = rec[static_cast<size_t>(c.field)];
        switch (c.kind) {
        case TKind::Integer: v = c.integer; break;
        case TKind::Unsigned: v = c.unsignedInteger; break;
        case TKind::Number: v = c.number; break;
        case TKind::Text:
        case TKind::BadText: v = Text(c.text); break;
        }
    });
    return rec;
}

QVariant TRowStore::Value(size_t row, size_t field) const
{
    QVariant v;
    ForEachCell(row, [&](const TCell& c) {
        if (static_cast<size_t>(c.field) != field)
            return;
        switch (c.kind) {
        case TKind::Integer: v = c.integer; break;
        case TKind::Unsigned: v = c.unsignedInteger; break;
        case TKind::Number: v = c.number; break;
        case TKind::Text:
        case TKind::BadText: v = Text(c.text); break;
        }
    });
    return v;
}

void TRowStore::push_back(const TRecord& row)
{
    TRowDraft draft;
    for (size_t i = 0; i < row.size(); ++i)
        draft.SetValue(static_cast<int>(i), row[i]);
    Append(draft);
    m_width = std::max(m_width, row.size());
}

void TRowStore::Append(const TRowDraft& draft)
{
    const std::vector<TRowDraft::TCell>* cells = &draft.m_cells;
    const auto byField = [](const TRowDraft::TCell& a, const TRowDraft::TCell& b) { return a.field < b.field; };
    if (!std::is_sorted(cells->begin(), cells->end(), byField)) {
        m_sorted = *cells;
        std::sort(m_sorted.begin(), m_sorted.end(), byField);
        cells = &m_sorted;
    }
    // The row's bytes, measured first and then written in one go.
    const auto varintSize = [](quint64 v) {
        size_t n = 1;
        while (v >= 0x80) {
            v >>= 7;
            ++n;
        }
        return n;
    };
    size_t bytes = varintSize(cells->size());
    for (const TRowDraft::TCell& c : *cells) {
        const size_t length = c.bits & 0xffffffffu;
        bytes += varintSize(static_cast<quint64>(c.field)) + 1 +
                 (c.kind == kText || c.kind == kBadText ? varintSize(length) + length : 8);
    }
    m_scratch.resize(bytes);
    char* out = m_scratch.data();
    const auto put = [&out](quint64 v) {
        while (v >= 0x80) {
            *out++ = static_cast<char>(v | 0x80);
            v >>= 7;
        }
        *out++ = static_cast<char>(v);
    };
    put(cells->size());
    for (const TRowDraft::TCell& c : *cells) {
        put(static_cast<quint64>(c.field));
        *out++ = static_cast<char>(c.kind);
        if (c.kind == kText || c.kind == kBadText) {
            const size_t length = c.bits & 0xffffffffu;
            put(length);
            std::memcpy(out, draft.m_text.data() + (c.bits >> 32), length);
            out += length;
        } else {
            std::memcpy(out, &c.bits, 8);
            out += 8;
        }
    }
    if (!cells->empty())
        m_width = std::max(m_width, static_cast<size_t>(cells->back().field) + 1);
    if (m_blocks.empty() || (!m_blocks.back().empty() && m_blocks.back().size() + m_scratch.size() > kBlock)) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(kBlock, m_scratch.size()));
    }
    std::vector<char>& block = m_blocks.back();
    m_rowAt.push_back((static_cast<quint64>(m_blocks.size() - 1) << 32) | block.size());
    block.insert(block.end(), m_scratch.begin(), m_scratch.end());
}

void TRowStore::clear()
{
    m_blocks.clear();
    m_rowAt.clear();
}

bool TRowStore::operator==(const TRowStore& other) const
{
    if (size() != other.size())
        return false;
    for (size_t r = 0; r < size(); ++r)
        if (Row(r) != other.Row(r))
            return false;
    return true;
}

const char* TRowStore::RowData(size_t row) const
{
    const quint64 at = m_rowAt[row];
    return m_blocks[at >> 32].data() + (at & 0xffffffffu);
}

quint64 TRowStore::Varint(const char*& p)
{
    quint64 v = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<unsigned char>(*p++);
        v |= static_cast<quint64>(b & 0x7f) << shift;
        if (b < 0x80)
            return v;
    }
}

TRowStore::TCell TRowStore::NextCell(const char*& p)
{
    TCell c{};
    c.field = static_cast<int>(Varint(p));
    const auto kind = static_cast<quint8>(*p++);
    c.kind = static_cast<TKind>(kind);
    if (kind == kText || kind == kBadText) {
        const size_t length = Varint(p);
        c.text = std::string_view(p, length);
        p += length;
        return c;
    }
    quint64 bits = 0;
    std::memcpy(&bits, p, 8);
    p += 8;
    c.integer = static_cast<qlonglong>(bits);
    c.unsignedInteger = bits;
    std::memcpy(&c.number, &bits, 8);
    return c;
}

namespace {
TFieldKind KindOf(std::string_view type)
{
    const QString t = Text(type).toLower();
    static const QStringList integers{"int", "i1", "i2", "i4", "i8", "ui1", "ui2", "ui4", "ui8"};
    static const QStringList numbers{"float", "r4", "r8", "number", "fixed.14.4", "currency", "decimal", "numeric"};
    static const QStringList dates{"datetime", "datetime.tz", "date"};
    if (integers.contains(t))
        return TFieldKind::Integer;
    if (numbers.contains(t))
        return TFieldKind::Number;
    if (dates.contains(t))
        return TFieldKind::DateTime;
    return TFieldKind::Text;
}

// ---------------------------------------------------------------- writer

class TXmlOut {
public:
    explicit TXmlOut(QIODevice& device) : m_device(device) { m_buffer.reserve(kChunk + 4096); }
    TXmlOut& operator<<(const char* text)
    {
        m_buffer.append(text);
        return *this;
    }
    TXmlOut& operator<<(const QByteArray& bytes)
    {
        m_buffer.append(bytes);
        return *this;
    }
    // Hands what is gathered to the device once it is a chunk.
    void Pass()
    {
        if (m_buffer.size() >= kChunk)
            Flush();
    }
    void Flush()
    {
        if (m_buffer.isEmpty())
            return;
        if (m_device.write(m_buffer) != m_buffer.size())
            throw EInOutError(m_device.errorString());
        m_buffer.clear();
    }
    QByteArray& Buffer() { return m_buffer; }

private:
    static constexpr qsizetype kChunk = 256 * 1024;
    QIODevice& m_device;
    QByteArray m_buffer;
};

bool IsPlainName(const QString& name)
{
    if (name.isEmpty() || !(name[0].isLetter() || name[0] == u'_') || name[0].unicode() > 0x7f)
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'_');
    });
}

// Appends text escaped as MDAC escapes it, with TAB, LF and CR as references. False, leaving
// out the rest, at a character an attribute value cannot carry: C0 controls other than TAB, LF
// and CR and the non-characters U+FFFE and U+FFFF (unpaired surrogates never get this far).
bool AppendEscaped(QByteArray& out, std::string_view utf8)
{
    // 0: as it is; 1: a reference; 2: not carried; 3: the lead byte of U+FFFE and U+FFFF.
    static const auto kind = [] {
        std::array<quint8, 256> k{};
        for (int c = 0; c < 0x20; ++c)
            k[c] = 2;
        for (const char c : {'&', '\'', '"', '<', '>', '\t', '\n', '\r'})
            k[static_cast<unsigned char>(c)] = 1;
        k[0xef] = 3;
        return k;
    }();
    size_t plain = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (kind[c] == 0)
            continue;
        if (kind[c] == 2)
            return false;
        if (kind[c] == 3) {
            if (i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xbf &&
                (static_cast<unsigned char>(utf8[i + 2]) & 0xfe) == 0xbe)
                return false;
            continue;
        }
        const char* entity = "";
        switch (c) {
        case '&': entity = "&#x26;"; break;
        case '\'': entity = "&#x27;"; break;
        case '"': entity = "&#x22;"; break;
        case '<': entity = "&#x3c;"; break;
        case '>': entity = "&#x3e;"; break;
        case '\t': entity = "&#x9;"; break;
        case '\n': entity = "&#xA;"; break;
        case '\r': entity = "&#xD;"; break;
        }
        out.append(utf8.data() + plain, static_cast<qsizetype>(i - plain));
        out.append(entity);
        plain = i + 1;
    }
    out.append(utf8.data() + plain, static_cast<qsizetype>(utf8.size() - plain));
    return true;
}

void AppendDouble17(QByteArray& out, double v)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    for (char* p = buf; p != r.ptr; ++p)
        if (*p == 'e')
            *p = 'E';
    out.append(buf, r.ptr - buf);
}

void AppendInteger(QByteArray& out, qlonglong v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr - buf);
}

// Appends the value as its attribute text (escaped), or raises the reason it cannot be written.
void AppendValue(QByteArray& out, const TField& f, const TRowStore::TCell& c, size_t row)
{
    using K = TRowStore::TKind;
    switch (f.kind) {
    case TFieldKind::Integer: {
        std::optional<qlonglong> i;
        if (c.kind == K::Integer)
            i = c.integer;
        else if (c.kind == K::Number && std::isfinite(c.number) && c.number == std::trunc(c.number) && std::fabs(c.number) <= 9.0e15)
            i = static_cast<qlonglong>(c.number);
        if (!i || *i < std::numeric_limits<qint32>::min() || *i > std::numeric_limits<qint32>::max())
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是整数"));
        AppendInteger(out, *i);
        return;
    }
    case TFieldKind::Number: {
        std::optional<double> d;
        if (c.kind == K::Integer)
            d = static_cast<double>(c.integer);
        else if (c.kind == K::Unsigned)
            d = static_cast<double>(c.unsignedInteger);
        else if (c.kind == K::Number && std::isfinite(c.number))
            d = c.number;
        if (!d)
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是数值"));
        AppendDouble17(out, *d);
        return;
    }
    case TFieldKind::Text:
    case TFieldKind::DateTime:
        break;
    }
    switch (c.kind) {
    case K::Integer: AppendInteger(out, c.integer); return;
    case K::Unsigned: out.append(QByteArray::number(c.unsignedInteger)); return;
    case K::Number: out.append(QString::number(c.number, 'g', QLocale::FloatingPointShortest).toLatin1()); return;
    case K::Text:
        if (AppendEscaped(out, c.text))
            return;
        break;
    case K::BadText: break;
    }
    throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值含有文件不能写入的字符"));
}

// ---------------------------------------------------------------- reader

[[noreturn]] void NotARecordset(const QString& why) { throw ERecordsetFormat(QStringLiteral("不是记录集文件：") + why); }


using TToken = TXmlScanner::TToken;

// The record set of a scanned file: its schema, then its rows straight into compact storage.
class TRecordsetReader {
public:
    TRecordsetReader(TXmlScanner& x, const TRecordsetLimits& limits) : m_x(x), m_limits(limits) {}

    TRecordset Read()
    {
        TToken t = m_x.Next();
        while (t == TToken::Text)
            t = m_x.Next();
        if (t != TToken::Start || m_x.RawName() != "xml")
            NotARecordset(QStringLiteral("根元素不是xml"));
        bool schema = false, data = false;
        while ((t = m_x.Next()) != TToken::End) {
            if (t != TToken::Start)
                continue;
            if (Is(kSchemaNs, "Schema") && !schema) {
                Schema();
                schema = true;
            } else if (Is(kRowsetNs, "data")) {
                if (!schema)
                    NotARecordset(QStringLiteral("数据部分在架构之前"));
                if (data)
                    NotARecordset(QStringLiteral("有两个数据部分"));
                Data();
                data = true;
            } else {
                Skip();
            }
        }
        while ((t = m_x.Next()) != TToken::Eof) {
        }
        if (!schema || !data)
            NotARecordset(QStringLiteral("缺少架构或数据部分"));
        return std::move(m_rs);
    }

private:
    struct TColumn {
        int number = 0;  // rs:number, 0 when missing
        TField field;
        QString reference;  // of an s:attribute, whose field is found by it
    };
    struct TElementType {
        QString name;
        std::vector<TColumn> columns;
    };

    bool Is(std::string_view ns, std::string_view local) const { return m_x.Ns() == ns && m_x.Local() == local; }
    QString Attr(std::string_view ns, std::string_view local) const { return Text(m_x.Attribute(ns, local).value_or("")); }

    // The rest of the element whose start tag was the last token.
    void Skip()
    {
        for (int depth = 1; depth > 0;) {
            const TToken t = m_x.Next();
            depth += t == TToken::Start ? 1 : t == TToken::End ? -1 : 0;
        }
    }

    void CountColumn(size_t& count) const
    {
        if (++count > m_limits.maxColumns)
            throw ERecordsetFormat(QStringLiteral("文件的列多于%1列").arg(m_limits.maxColumns));
    }

    void Schema()
    {
        std::optional<TElementType> chosen;
        std::unordered_map<QString, TField> standalone;  // by name in lower case
        size_t standaloneCount = 0;
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            if (t != TToken::Start)
                continue;
            if (Is(kSchemaNs, "ElementType")) {
                TElementType e = ElementType();
                if (!chosen || e.name == u"row")
                    chosen = std::move(e);
            } else if (Is(kSchemaNs, "AttributeType")) {
                CountColumn(standaloneCount);
                int number = 0;
                TField f = AttributeType(number);
                standalone[f.xmlName.toLower()] = std::move(f);
            } else {
                Skip();
            }
        }
        if (!chosen)
            NotARecordset(QStringLiteral("没有行的定义"));
        m_rowName = chosen->name.isEmpty() ? std::string("row") : chosen->name.toStdString();

        bool numbered = true;
        for (TColumn& c : chosen->columns) {
            if (c.reference.isNull()) {
                numbered = numbered && c.number > 0;
                continue;
            }
            // A column defined beside the element type, referred to by name: the references fix the order.
            const auto it = standalone.find(c.reference.toLower());
            if (it == standalone.end())
                NotARecordset(QStringLiteral("找不到列") + c.reference);
            c.field = it->second;
            numbered = false;
        }
        if (chosen->columns.empty())
            NotARecordset(QStringLiteral("没有列"));
        if (numbered)
            std::stable_sort(chosen->columns.begin(), chosen->columns.end(),
                             [](const TColumn& a, const TColumn& b) { return a.number < b.number; });
        std::unordered_set<QString> names;
        for (TColumn& c : chosen->columns) {
            if (!names.insert(c.field.xmlName).second)
                NotARecordset(QStringLiteral("列") + c.field.xmlName + QStringLiteral("重复"));
            m_rs.fields.push_back(std::move(c.field));
        }
        if (m_limits.checkColumns)
            m_limits.checkColumns(m_rs.fields);
        m_rs.rows.SetWidth(m_rs.fields.size());
        for (const TField& f : m_rs.fields)
            m_names.push_back(f.xmlName.toStdString());
        for (size_t i = 0; i < m_names.size(); ++i)
            m_index.emplace(m_names[i], static_cast<int>(i));
    }

    TElementType ElementType()
    {
        TElementType e;
        e.name = Attr({}, "name");
        size_t count = 0;
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            if (t != TToken::Start)
                continue;
            if (Is(kSchemaNs, "AttributeType")) {
                CountColumn(count);
                TColumn c;
                c.field = AttributeType(c.number);
                e.columns.push_back(std::move(c));
            } else if (Is(kSchemaNs, "attribute")) {
                CountColumn(count);
                TColumn c;
                c.reference = Attr({}, "type");
                if (c.reference.isNull())
                    c.reference = QStringLiteral("");
                e.columns.push_back(std::move(c));
                Skip();
            } else {
                Skip();
            }
        }
        return e;
    }

    static int IntOf(const QString& text)
    {
        const std::optional<qlonglong> v = IntegerFromText(text.trimmed().toStdString());
        return v ? static_cast<int>(std::clamp<qlonglong>(*v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())) : 0;
    }

    static bool IsTrue(const std::optional<QString>& a) { return a && a->compare(u"true", Qt::CaseInsensitive) == 0; }

    TField AttributeType(int& number)
    {
        TField f;
        f.xmlName = Attr({}, "name");
        if (f.xmlName.isEmpty())
            NotARecordset(QStringLiteral("列没有名称"));
        const auto own = [this](std::string_view ns, std::string_view local) -> std::optional<QString> {
            if (const auto v = m_x.Attribute(ns, local))
                return Text(*v);
            return std::nullopt;
        };
        const std::optional<QString> realName = own(kRowsetNs, "name");
        f.name = realName ? *realName : f.xmlName;
        const std::optional<QString> number_ = own(kRowsetNs, "number");
        number = number_ ? IntOf(*number_) : 0;
        std::optional<QString> type = own(kTypeNs, "type"), maxLength = own(kTypeNs, "maxLength");
        const std::optional<QString> nullable = own(kRowsetNs, "nullable");
        std::optional<QString> maybeNull = own(kRowsetNs, "maybenull");
        bool datatype = false;
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            if (t != TToken::Start)
                continue;
            if (Is(kSchemaNs, "datatype") && !datatype) {
                datatype = true;
                if (!type)
                    type = own(kTypeNs, "type");
                if (!maxLength)
                    maxLength = own(kTypeNs, "maxLength");
                if (!maybeNull)
                    maybeNull = own(kRowsetNs, "maybenull");
            }
            Skip();
        }
        f.kind = KindOf(type.value_or(QString()).toStdString());
        f.maxLength = IntOf(maxLength.value_or(QString()));
        f.nullable = (!nullable && !maybeNull) || IsTrue(nullable) || IsTrue(maybeNull);
        return f;
    }

    bool IsRow() const { return m_x.Ns() == kRowNs && m_x.Local() == m_rowName; }

    [[noreturn]] void NotARow() const
    {
        m_x.Fail(QStringLiteral("数据部分含有不是行的元素") + Text(m_x.RawName()));
    }

    // Text between the rows: only blanks.
    void Between(TToken t) const
    {
        if (t == TToken::Text && !m_x.TextIsBlank())
            m_x.Fail(QStringLiteral("数据部分含有文字"));
    }

    void Data()
    {
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            Between(t);
            if (t != TToken::Start)
                continue;
            if (IsRow()) {
                ReadRow(m_draft, false);
                Store(m_draft);
                Skip();
            } else if (Is(kRowsetNs, "insert")) {
                Rows(true);
            } else if (Is(kRowsetNs, "delete")) {
                Rows(false);  // rows that are gone
            } else if (Is(kRowsetNs, "update")) {
                Update();
            } else {
                NotARow();
            }
        }
    }

    // The rows inside an rs:insert or rs:delete.
    void Rows(bool keep)
    {
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            Between(t);
            if (t != TToken::Start)
                continue;
            if (!IsRow())
                NotARow();
            if (keep) {
                ReadRow(m_draft, false);
                Store(m_draft);
            }
            Skip();
        }
    }

    // Pairs of the original row and its new values, which may give only what changed.
    void Update()
    {
        bool original = false;
        for (TToken t; (t = m_x.Next()) != TToken::End;) {
            Between(t);
            if (t != TToken::Start)
                continue;
            if (Is(kRowsetNs, "original")) {
                if (original)
                    Store(m_original);
                original = false;
                for (TToken o; (o = m_x.Next()) != TToken::End;) {
                    Between(o);
                    if (o != TToken::Start)
                        continue;
                    if (!IsRow())
                        NotARow();
                    if (!original) {
                        ReadRow(m_original, false);
                        original = true;
                    }
                    Skip();
                }
            } else if (IsRow()) {
                ReadRow(m_original, original);  // on top of the original, or a row of its own
                Store(m_original);
                original = false;
                Skip();
            } else {
                NotARow();
            }
        }
        if (original)
            Store(m_original);
    }

    void Store(const TRowDraft& draft)
    {
        if (m_rs.rows.size() >= m_limits.maxRows)
            throw ERecordsetFormat(QStringLiteral("文件的行多于%1行").arg(m_limits.maxRows));
        m_rs.rows.Append(draft);
    }

    // The row element's values into draft; onTop keeps what draft holds where the row has none.
    void ReadRow(TRowDraft& draft, bool onTop)
    {
        if (!onTop)
            draft.Clear();
        const size_t number = m_rs.rows.size() + 1;
        std::optional<std::string_view> forceNull;
        size_t guess = 0;  // rows give their columns in order, mostly
        for (const TXmlAttribute& a : m_x.Attributes()) {
            if (!a.prefix.empty()) {
                if (a.local == "forcenull" && a.prefix != "xmlns" && m_x.NamespaceOf(a.prefix) == kRowsetNs)
                    forceNull = a.value;
                continue;
            }
            int field = -1;
            for (size_t g = guess; g < guess + 4 && g < m_names.size(); ++g)
                if (m_names[g] == a.local) {
                    field = static_cast<int>(g);
                    break;
                }
            if (field < 0) {
                const auto it = m_index.find(a.local);
                if (it == m_index.end())
                    continue;  // an attribute the schema does not define
                field = it->second;
            }
            guess = static_cast<size_t>(field) + 1;
            Value(draft, field, a.value, number);
        }
        if (forceNull) {
            std::string_view names = *forceNull;
            while (!names.empty()) {
                const size_t space = names.find(' ');
                const std::string_view name = names.substr(0, space);
                if (const auto it = m_index.find(name); it != m_index.end())
                    draft.SetNull(it->second);
                names = space == std::string_view::npos ? std::string_view() : names.substr(space + 1);
            }
        }
    }

    void Value(TRowDraft& draft, int field, std::string_view s, size_t row) const
    {
        const TField& f = m_rs.fields[static_cast<size_t>(field)];
        switch (f.kind) {
        case TFieldKind::Integer:
            if (const std::optional<qlonglong> v = IntegerFromText(s)) {
                draft.SetInteger(field, *v);
                return;
            }
            if (IsIntegerText(s) && s.front() != '-') {
                qulonglong u = 0;
                const auto r = std::from_chars(s.data(), s.data() + s.size(), u);
                if (r.ec == std::errc() && r.ptr == s.data() + s.size()) {
                    draft.SetUnsigned(field, u);
                    return;
                }
            }
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是整数"));
        case TFieldKind::Number:
            if (const std::optional<double> v = NumberFromText(s)) {
                draft.SetNumber(field, *v);
                return;
            }
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是数值"));
        case TFieldKind::Text:
        case TFieldKind::DateTime:
            draft.SetText(field, s);  // an empty value is empty text, never NULL
            return;
        }
    }

    TXmlScanner& m_x;
    const TRecordsetLimits& m_limits;
    TRecordset m_rs;
    std::string m_rowName;
    std::vector<std::string> m_names;  // the rows' attribute of each field
    std::unordered_map<std::string_view, int> m_index;  // views into m_names
    TRowDraft m_draft, m_original;
};
}  // namespace

int TRecordset::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TField TextField(const QString& name, int maxLength)
{
    return TField{name, name, TFieldKind::Text, maxLength, true};
}

TField NumberField(const QString& name) { return TField{name, name, TFieldKind::Number, 8, true}; }

TField IntegerField(const QString& name) { return TField{name, name, TFieldKind::Integer, 4, true}; }

void WriteRecordsetXml(QIODevice& device, const TRecordset& rs)
{
    TXmlOut out(device);
    out << "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\r\n"
           "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\r\n"
           "\txmlns:rs='urn:schemas-microsoft-com:rowset'\r\n"
           "\txmlns:z='#RowsetSchema'>\r\n"
           "<s:Schema id='RowsetSchema'>\r\n"
           "\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>\r\n";
    std::vector<QByteArray> names;
    for (size_t i = 0; i < rs.fields.size(); ++i) {
        const TField& f = rs.fields[i];
        if (!IsPlainName(f.name))
            throw ERecordsetFormat(QStringLiteral("列名") + f.name + QStringLiteral("不能写入文件"));
        names.push_back(f.name.toLatin1());
        const bool integer = f.kind == TFieldKind::Integer;
        const bool number = f.kind == TFieldKind::Number;
        out << "\t\t<s:AttributeType name='" << names.back() << "' rs:number='" << QByteArray::number(qulonglong(i + 1))
            << "'" << (f.nullable ? " rs:nullable='true'" : "") << " rs:write='true'>\r\n"
            << "\t\t\t<s:datatype dt:type='" << (integer ? "int" : number ? "float" : "string") << "' dt:maxLength='"
            << QByteArray::number(integer ? 4 : number ? 8 : (f.maxLength > 0 ? f.maxLength : 255)) << "' rs:precision='0'"
            << (integer || number ? " rs:fixedlength='true'" : "") << " rs:maybenull='false'/>\r\n"
            << "\t\t</s:AttributeType>\r\n";
    }
    out << "\t\t<s:extends type='rs:rowbase'/>\r\n"
           "\t</s:ElementType>\r\n"
           "</s:Schema>\r\n"
           "<rs:data>\r\n";
    for (size_t r = 0; r < rs.rows.size(); ++r) {
        QByteArray& line = out.Buffer();
        line.append("\t<z:row");
        rs.rows.ForEachCell(r, [&](const TRowStore::TCell& c) {
            if (static_cast<size_t>(c.field) >= rs.fields.size())
                return;
            line.append(' ').append(names[static_cast<size_t>(c.field)]).append("='");
            AppendValue(line, rs.fields[static_cast<size_t>(c.field)], c, r + 1);
            line.append('\'');
        });
        out << "/>\r\n";
        out.Pass();
    }
    out << "</rs:data>\r\n"
           "</xml>";
    out.Flush();
}

void SaveRecordsetXmlFile(const QString& path, const TRecordset& rs)
{
    SaveWholeFile(path, [&rs](QIODevice& file) {
        WriteRecordsetXml(file, rs);
        return true;
    });
}

TRecordset ReadRecordsetXml(QIODevice& device, const TRecordsetLimits& limits)
{
    TXmlScanner scanner(device, kMaxRecordsetFile);
    try {
        return TRecordsetReader(scanner, limits).Read();
    } catch (const EXmlFormat& e) {
        NotARecordset(e.Text());
    }
}

TRecordset ReadRecordsetXml(const QByteArray& bytes, const TRecordsetLimits& limits)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadRecordsetXml(buffer, limits);
}

TRecordset LoadRecordsetXmlFile(const QString& path, const TRecordsetLimits& limits)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ERecordsetFormat(file.errorString());
    if (file.size() > kMaxRecordsetFile)
        throw ERecordsetFormat(QStringLiteral("文件太大"));
    return ReadRecordsetXml(file, limits);
}

QString DisplayText(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

TRecordsetModel::TRecordsetModel(const QStringList& columns, const QStringList& titles, QObject* parent)
    : QAbstractTableModel(parent), m_columns(columns), m_titles(titles), m_fieldOf(columns.size(), -1)
{
}

void TRecordsetModel::SetRecordset(const TRecordset* rs)
{
    beginResetModel();
    m_rs = rs;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        m_fieldOf[c] = rs ? rs->FieldIndex(m_columns[c]) : -1;
    endResetModel();
}

int TRecordsetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_rs ? 0 : static_cast<int>(m_rs->rows.size());
}

int TRecordsetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns.size(); }

QVariant TRecordsetModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !m_rs || !index.isValid())
        return {};
    const int field = m_fieldOf[index.column()];
    return field < 0 ? QVariant() : QVariant(DisplayText(m_rs->rows.Value(static_cast<size_t>(index.row()), static_cast<size_t>(field))));
}

QVariant TRecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_titles.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}
