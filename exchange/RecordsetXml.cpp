#include "RecordsetXml.h"

#include "RecordsetXmlText.h"
#include "XmlScanner.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace recordset_xml {
QString CellName(size_t row, const QString& column) { return QStringLiteral("第%1行%2列").arg(row).arg(column); }

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// -?digits
bool IsIntegerText(std::string_view s)
{
    if (!s.empty() && s.front() == '-')
        s.remove_prefix(1);
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}
}  // namespace recordset_xml

// ---------------------------------------------------------------- numbers in the C locale

namespace {
using recordset_xml::IsIntegerText;
using recordset_xml::Text;

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

QVariant TRowStore::CellValue(const TCell& c)
{
    switch (c.kind) {
    case TKind::Integer:
        return c.integer;
    case TKind::Unsigned:
        return c.unsignedInteger;
    case TKind::Number:
        return c.number;
    case TKind::Text:
    case TKind::BadText:
        break;
    }
    return Text(c.text);
}

TRecord TRowStore::Row(size_t row) const
{
    TRecord rec(m_width);
    ForEachCell(row, [&](const TCell& c) {
        if (static_cast<size_t>(c.field) >= rec.size())
            rec.resize(static_cast<size_t>(c.field) + 1);
        rec[static_cast<size_t>(c.field)] = CellValue(c);
    });
    return rec;
}

QVariant TRowStore::Value(size_t row, size_t field) const
{
    QVariant v;
    ForEachCell(row, [&](const TCell& c) {
        if (static_cast<size_t>(c.field) == field)
            v = CellValue(c);
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

int TRecordset::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TField TextField(const QString& name, int maxLength) { return TField{name, name, TFieldKind::Text, maxLength, true}; }

TField NumberField(const QString& name) { return TField{name, name, TFieldKind::Number, 8, true}; }

TField IntegerField(const QString& name) { return TField{name, name, TFieldKind::Integer, 4, true}; }

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
    return field < 0 ? QVariant()
                     : QVariant(DisplayText(m_rs->rows.Value(static_cast<size_t>(index.row()), static_cast<size_t>(field))));
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
