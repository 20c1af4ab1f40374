#include "RecordsetXml.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {
constexpr std::string_view kSchemaNs = "uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882";
constexpr std::string_view kTypeNs = "uuid:C2F41010-65B3-11d1-A29F-00AA00C14882";
constexpr std::string_view kRowsetNs = "urn:schemas-microsoft-com:rowset";
constexpr std::string_view kRowNs = "#RowsetSchema";

QString CellName(int row, const QString& column) { return QStringLiteral("第%1行%2列").arg(row).arg(column); }

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

namespace {
// An integer column's value; above qlonglong's range, a qulonglong.
std::optional<QVariant> ParseInteger(std::string_view s)
{
    if (!IsIntegerText(s))
        return std::nullopt;
    if (const std::optional<qlonglong> v = IntegerFromText(s))
        return QVariant(*v);
    qulonglong u = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), u);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size())
        return QVariant(u);
    return std::nullopt;
}

TFieldKind KindOf(QString type)
{
    type = type.toLower();
    static const QStringList integers{"int", "i1", "i2", "i4", "i8", "ui1", "ui2", "ui4", "ui8"};
    static const QStringList numbers{"float", "r4", "r8", "number", "fixed.14.4", "currency", "decimal", "numeric"};
    static const QStringList dates{"datetime", "datetime.tz", "date"};
    if (integers.contains(type))
        return TFieldKind::Integer;
    if (numbers.contains(type))
        return TFieldKind::Number;
    if (dates.contains(type))
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

// False for a character an attribute value cannot carry: C0 controls other than TAB, LF and
// CR, unpaired surrogates and the two non-characters U+FFFE and U+FFFF.
bool CanCarry(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xfffe || c == 0xffff)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

void AppendEscaped(QByteArray& out, const QByteArray& utf8)
{
    for (const char ch : utf8) {
        switch (ch) {
        case '&': out.append("&#x26;"); break;
        case '\'': out.append("&#x27;"); break;
        case '"': out.append("&#x22;"); break;
        case '<': out.append("&#x3c;"); break;
        case '>': out.append("&#x3e;"); break;
        case '\t': out.append("&#x9;"); break;
        case '\n': out.append("&#xA;"); break;
        case '\r': out.append("&#xD;"); break;
        default: out.append(ch);
        }
    }
}

QByteArray DoubleText17(double v)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    for (char* p = buf; p != r.ptr; ++p)
        if (*p == 'e')
            *p = 'E';
    return QByteArray(buf, r.ptr - buf);
}

std::optional<qlonglong> AsInteger(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return v.toLongLong();
    case QMetaType::ULongLong:
        if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return v.toLongLong();
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e15)
            return std::nullopt;
        return static_cast<qlonglong>(d);
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> AsNumber(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: {
        const double d = v.toDouble();
        return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// The value as its attribute text (escaped), or the reason it cannot be written.
QByteArray ValueText(const TField& f, const QVariant& v, int row)
{
    switch (f.kind) {
    case TFieldKind::Integer: {
        const auto i = AsInteger(v);
        if (!i || *i < std::numeric_limits<qint32>::min() || *i > std::numeric_limits<qint32>::max())
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是整数"));
        return QByteArray::number(*i);
    }
    case TFieldKind::Number: {
        const auto d = AsNumber(v);
        if (!d)
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是数值"));
        return DoubleText17(*d);
    }
    case TFieldKind::Text:
    case TFieldKind::DateTime:
        break;
    }
    const QString text = v.toString();
    if (!CanCarry(text))
        throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值含有文件不能写入的字符"));
    QByteArray out;
    AppendEscaped(out, text.toUtf8());
    return out;
}

// ---------------------------------------------------------------- reader

struct TQName {
    std::string_view prefix;
    std::string_view local;
};

TQName Split(const char* name)
{
    const std::string_view n(name);
    const size_t colon = n.find(':');
    if (colon == std::string_view::npos)
        return {{}, n};
    return {n.substr(0, colon), n.substr(colon + 1)};
}

// The namespace a prefix stands for at node (empty prefix: the default namespace).
std::string_view NamespaceOf(pugi::xml_node node, std::string_view prefix)
{
    std::string key = prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
    for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent())
        if (pugi::xml_attribute a = n.attribute(key.c_str()))
            return a.value();
    return {};
}

bool IsElement(pugi::xml_node n, std::string_view ns, std::string_view local)
{
    if (n.type() != pugi::node_element)
        return false;
    const TQName q = Split(n.name());
    return q.local == local && NamespaceOf(n, q.prefix) == ns;
}

// The attribute of that namespace and local name; an empty namespace means unprefixed.
pugi::xml_attribute Attr(pugi::xml_node n, std::string_view ns, std::string_view local)
{
    for (pugi::xml_attribute a : n.attributes()) {
        const TQName q = Split(a.name());
        if (q.local != local)
            continue;
        if (ns.empty() ? q.prefix.empty() : (!q.prefix.empty() && q.prefix != "xmlns" && NamespaceOf(n, q.prefix) == ns))
            return a;
    }
    return {};
}

pugi::xml_node Child(pugi::xml_node n, std::string_view ns, std::string_view local)
{
    for (pugi::xml_node c : n.children())
        if (IsElement(c, ns, local))
            return c;
    return {};
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

[[noreturn]] void NotARecordset(const QString& why) { throw ERecordsetFormat(QStringLiteral("不是记录集文件：") + why); }

bool IsTrue(pugi::xml_attribute a) { return a && QString::fromUtf8(a.value()).compare(u"true", Qt::CaseInsensitive) == 0; }

TField FieldOf(pugi::xml_node type)
{
    TField f;
    f.xmlName = Text(type.attribute("name").value());
    if (f.xmlName.isEmpty())
        NotARecordset(QStringLiteral("列没有名称"));
    const pugi::xml_attribute realName = Attr(type, kRowsetNs, "name");
    f.name = realName ? Text(realName.value()) : f.xmlName;
    const pugi::xml_node datatype = Child(type, kSchemaNs, "datatype");
    auto typeAttr = [&](std::string_view ns, std::string_view local) {
        pugi::xml_attribute a = Attr(type, ns, local);
        return a || !datatype ? a : Attr(datatype, ns, local);
    };
    f.kind = KindOf(Text(typeAttr(kTypeNs, "type").value()));
    f.maxLength = typeAttr(kTypeNs, "maxLength").as_int();
    const pugi::xml_attribute nullable = Attr(type, kRowsetNs, "nullable");
    const pugi::xml_attribute maybeNull = typeAttr(kRowsetNs, "maybenull");
    f.nullable = (!nullable && !maybeNull) || IsTrue(nullable) || IsTrue(maybeNull);
    return f;
}

std::vector<TField> ReadSchema(pugi::xml_node schema, QString& rowName)
{
    pugi::xml_node elementType;
    for (pugi::xml_node c : schema.children())
        if (IsElement(c, kSchemaNs, "ElementType") && (!elementType || std::string_view(c.attribute("name").value()) == "row"))
            elementType = c;
    if (!elementType)
        NotARecordset(QStringLiteral("没有行的定义"));
    rowName = Text(elementType.attribute("name").value());
    if (rowName.isEmpty())
        rowName = QStringLiteral("row");

    std::vector<std::pair<int, TField>> columns;  // (rs:number or 0, field)
    bool numbered = true;
    for (pugi::xml_node c : elementType.children()) {
        pugi::xml_node type;
        if (IsElement(c, kSchemaNs, "AttributeType")) {
            type = c;
        } else if (IsElement(c, kSchemaNs, "attribute")) {
            // A column defined beside the element type, referred to by name.
            const QString ref = Text(c.attribute("type").value());
            for (pugi::xml_node t : schema.children())
                if (IsElement(t, kSchemaNs, "AttributeType") &&
                    Text(t.attribute("name").value()).compare(ref, Qt::CaseInsensitive) == 0)
                    type = t;
            if (!type)
                NotARecordset(QStringLiteral("找不到列") + ref);
            numbered = false;  // the references fix the order
        } else {
            continue;
        }
        const pugi::xml_attribute number = Attr(type, kRowsetNs, "number");
        numbered = numbered && number && number.as_int() > 0;
        columns.emplace_back(number.as_int(), FieldOf(type));
    }
    if (columns.empty())
        NotARecordset(QStringLiteral("没有列"));
    if (numbered)
        std::stable_sort(columns.begin(), columns.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TField> fields;
    for (auto& c : columns) {
        for (const TField& earlier : fields)
            if (earlier.xmlName == c.second.xmlName)
                NotARecordset(QStringLiteral("列") + earlier.xmlName + QStringLiteral("重复"));
        fields.push_back(std::move(c.second));
    }
    return fields;
}

class TRowReader {
public:
    TRowReader(const std::vector<TField>& fields, const QString& rowName) : m_fields(fields), m_rowName(rowName.toStdString())
    {
        for (size_t i = 0; i < fields.size(); ++i) {
            m_names.push_back(fields[i].xmlName.toStdString());
        }
        for (size_t i = 0; i < m_names.size(); ++i)
            m_index.emplace(m_names[i], static_cast<int>(i));
        m_last.resize(fields.size());
    }

    bool IsRow(pugi::xml_node n) const { return IsElement(n, kRowNs, m_rowName); }

    // A row element's values; an updated row starts from its original.
    TRecord Read(pugi::xml_node row, int number, const TRecord* original = nullptr) const
    {
        TRecord rec = original ? *original : TRecord(m_fields.size());
        const char* forceNull = nullptr;
        for (pugi::xml_attribute a : row.attributes()) {
            const TQName q = Split(a.name());
            if (!q.prefix.empty()) {
                if (q.local == "forcenull" && q.prefix != "xmlns" && NamespaceOf(row, q.prefix) == kRowsetNs)
                    forceNull = a.value();
                continue;
            }
            const auto it = m_index.find(q.local);
            if (it == m_index.end())
                continue;  // an attribute the schema does not define
            rec[it->second] = CachedValue(it->second, a.value(), number);
        }
        if (forceNull)
            for (const QString& name : Text(forceNull).split(u' ', Qt::SkipEmptyParts))
                if (const auto it = m_index.find(name.toStdString()); it != m_index.end())
                    rec[it->second] = QVariant();
        return rec;
    }

private:
    // Most columns repeat their value from row to row (the seller, the date): one shared copy.
    QVariant CachedValue(int field, const char* raw, int row) const
    {
        auto& [text, value] = m_last[field];
        if (!value.isValid() || text != raw) {
            value = Value(m_fields[field], raw, row);
            text = raw;
        }
        return value;
    }

    static QVariant Value(const TField& f, const char* raw, int row)
    {
        const std::string_view s(raw);
        switch (f.kind) {
        case TFieldKind::Integer:
            if (auto v = ParseInteger(s))
                return *v;
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是整数"));
        case TFieldKind::Number:
            if (auto v = NumberFromText(s))
                return *v;
            throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值不是数值"));
        case TFieldKind::Text:
        case TFieldKind::DateTime:
            break;
        }
        // An empty value is empty text, never NULL.
        return s.empty() ? QVariant(QStringLiteral("")) : QVariant(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
    }

    const std::vector<TField>& m_fields;
    std::string m_rowName;
    std::vector<std::string> m_names;
    std::unordered_map<std::string_view, int> m_index;  // views into m_names
    mutable std::vector<std::pair<std::string, QVariant>> m_last;
};

std::vector<TRecord> ReadRows(pugi::xml_node data, const TRowReader& reader)
{
    std::vector<TRecord> rows;
    for (pugi::xml_node c : data.children()) {
        if (reader.IsRow(c)) {
            rows.push_back(reader.Read(c, static_cast<int>(rows.size()) + 1));
        } else if (IsElement(c, kRowsetNs, "insert")) {
            for (pugi::xml_node r : c.children())
                if (reader.IsRow(r))
                    rows.push_back(reader.Read(r, static_cast<int>(rows.size()) + 1));
        } else if (IsElement(c, kRowsetNs, "update")) {
            // Pairs of the original row and its new values, which may give only what changed.
            std::optional<TRecord> original;
            for (pugi::xml_node r : c.children()) {
                if (IsElement(r, kRowsetNs, "original")) {
                    if (original)
                        rows.push_back(*original);
                    original.reset();
                    for (pugi::xml_node o : r.children())
                        if (reader.IsRow(o)) {
                            original = reader.Read(o, static_cast<int>(rows.size()) + 1);
                            break;
                        }
                } else if (reader.IsRow(r)) {
                    rows.push_back(reader.Read(r, static_cast<int>(rows.size()) + 1, original ? &*original : nullptr));
                    original.reset();
                }
            }
            if (original)
                rows.push_back(*original);
        }
        // rs:delete holds rows that are gone.
    }
    return rows;
}

bool IsUtf16(const QByteArray& bytes) { return bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"); }

// Decoded a chunk at a time: a whole file's text is not needed, only whether it is UTF-8.
bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    constexpr qsizetype kChunkSize = 64 * 1024;
    std::vector<QChar> out(static_cast<size_t>(utf8.requiredSpace(kChunkSize)));
    for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kChunkSize)
        utf8.appendToBuffer(out.data(), QByteArrayView(bytes.constData() + at, std::min(kChunkSize, bytes.size() - at)));
    return !utf8.hasError();
}

bool HasRawNul(const QByteArray& bytes)
{
    if (!IsUtf16(bytes))
        return bytes.contains('\0');
    for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i] == 0 && bytes[i + 1] == 0)
            return true;
    return false;
}
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
        const TRecord& row = rs.rows[r];
        QByteArray& line = out.Buffer();
        line.append("\t<z:row");
        for (size_t c = 0; c < rs.fields.size() && c < row.size(); ++c) {
            if (row[c].isNull())
                continue;  // NULL is an attribute left out
            line.append(' ').append(names[c]).append("='");
            line.append(ValueText(rs.fields[c], row[c], static_cast<int>(r) + 1));
            line.append('\'');
        }
        out << "/>\r\n";
        out.Pass();
    }
    out << "</rs:data>\r\n"
           "</xml>";
    out.Flush();
}

void SaveRecordsetXmlFile(const QString& path, const TRecordset& rs)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(file.errorString());
    WriteRecordsetXml(file, rs);  // an error leaves the temporary file to the destructor, which removes it
    if (!file.commit())
        throw EInOutError(file.errorString());
}

TRecordset ReadRecordsetXml(QByteArray bytes)
{
    if (HasRawNul(bytes))
        NotARecordset(QStringLiteral("含有NUL字符"));
    if (!IsUtf16(bytes) && !IsUtf8(bytes))
        NotARecordset(QStringLiteral("不是UTF-8文本"));
    pugi::xml_document doc;
    const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_doctype;
    // Parsed in place: the bytes are ours (a file's are read once).
    const pugi::xml_parse_result parsed = doc.load_buffer_inplace(bytes.data(), static_cast<size_t>(bytes.size()), options);
    if (!parsed)
        NotARecordset(QString::fromUtf8(parsed.description()));
    for (pugi::xml_node n : doc.children())
        if (n.type() == pugi::node_doctype)
            NotARecordset(QStringLiteral("含有DOCTYPE"));
    const pugi::xml_node root = doc.document_element();
    if (!root || std::string_view(root.name()) != "xml")
        NotARecordset(QStringLiteral("根元素不是xml"));
    const pugi::xml_node schema = Child(root, kSchemaNs, "Schema");
    const pugi::xml_node data = Child(root, kRowsetNs, "data");
    if (!schema || !data)
        NotARecordset(QStringLiteral("缺少架构或数据部分"));
    TRecordset rs;
    QString rowName;
    rs.fields = ReadSchema(schema, rowName);
    const TRowReader reader(rs.fields, rowName);
    rs.rows = ReadRows(data, reader);
    return rs;
}

TRecordset LoadRecordsetXmlFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ERecordsetFormat(file.errorString());
    if (file.size() > kMaxRecordsetFile)
        throw ERecordsetFormat(QStringLiteral("文件太大"));
    return ReadRecordsetXml(file.read(kMaxRecordsetFile));  // a file that grew since is cut, and then no XML
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
    const TRecord& row = m_rs->rows[index.row()];
    return field < 0 || field >= static_cast<int>(row.size()) ? QVariant() : QVariant(DisplayText(row[field]));
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
