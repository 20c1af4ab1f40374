#include "RecordsetXmlReader.h"

#include "RecordsetXmlText.h"
#include "XmlScanner.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {
using recordset_xml::CellName;
using recordset_xml::IsIntegerText;
using recordset_xml::Text;

constexpr std::string_view kSchemaNs = "uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882";
constexpr std::string_view kTypeNs = "uuid:C2F41010-65B3-11d1-A29F-00AA00C14882";
constexpr std::string_view kRowsetNs = "urn:schemas-microsoft-com:rowset";
constexpr std::string_view kRowNs = "#RowsetSchema";

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
        return v ? static_cast<int>(std::clamp<qlonglong>(*v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()))
                 : 0;
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

    [[noreturn]] void NotARow() const { m_x.Fail(QStringLiteral("数据部分含有不是行的元素") + Text(m_x.RawName())); }

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
    std::vector<std::string> m_names;                   // the rows' attribute of each field
    std::unordered_map<std::string_view, int> m_index;  // views into m_names
    TRowDraft m_draft, m_original;
};
}  // namespace

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
