#include "RecordsetXmlWriter.h"

#include "RecordsetXmlText.h"
#include "core/WholeFile.h"

#include <QIODevice>
#include <QLocale>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {
using recordset_xml::CellName;

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
    return std::all_of(name.begin(), name.end(),
                       [](QChar c) { return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'_'); });
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
        case '&':
            entity = "&#x26;";
            break;
        case '\'':
            entity = "&#x27;";
            break;
        case '"':
            entity = "&#x22;";
            break;
        case '<':
            entity = "&#x3c;";
            break;
        case '>':
            entity = "&#x3e;";
            break;
        case '\t':
            entity = "&#x9;";
            break;
        case '\n':
            entity = "&#xA;";
            break;
        case '\r':
            entity = "&#xD;";
            break;
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
        else if (c.kind == K::Number && std::isfinite(c.number) && c.number == std::trunc(c.number) &&
                 std::fabs(c.number) <= 9.0e15)
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
    case K::Integer:
        AppendInteger(out, c.integer);
        return;
    case K::Unsigned:
        out.append(QByteArray::number(c.unsignedInteger));
        return;
    case K::Number:
        out.append(QString::number(c.number, 'g', QLocale::FloatingPointShortest).toLatin1());
        return;
    case K::Text:
        if (AppendEscaped(out, c.text))
            return;
        break;
    case K::BadText:
        break;
    }
    throw ERecordsetFormat(CellName(row, f.name) + QStringLiteral("的值含有文件不能写入的字符"));
}
}  // namespace

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
        out << "\t\t<s:AttributeType name='" << names.back() << "' rs:number='" << QByteArray::number(qulonglong(i + 1)) << "'"
            << (f.nullable ? " rs:nullable='true'" : "") << " rs:write='true'>\r\n"
            << "\t\t\t<s:datatype dt:type='"
            << (integer  ? "int"
                : number ? "float"
                         : "string")
            << "' dt:maxLength='"
            << QByteArray::number(integer  ? 4
                                  : number ? 8
                                           : (f.maxLength > 0 ? f.maxLength : 255))
            << "' rs:precision='0'" << (integer || number ? " rs:fixedlength='true'" : "") << " rs:maybenull='false'/>\r\n"
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
