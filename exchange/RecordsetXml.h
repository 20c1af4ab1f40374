#pragma once
// The exchange files of the invoicing points: record sets persisted in the XML layout that the
// peers' record-set writers use (schema of the columns, then one row element per record). Here
// the record set itself; RecordsetXmlReader.h and RecordsetXmlWriter.h read and write the files.
#include "core/Errors.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a column's values are. Integer values are qlonglong (qulonglong above its range),
// Number values double; Text and DateTime values are the text as written.
enum class TFieldKind { Text, Integer, Number, DateTime };

struct TField {
    QString name;     // the column's name (its rs:name when the file gives one)
    QString xmlName;  // the attribute the rows use for it
    TFieldKind kind = TFieldKind::Text;
    int maxLength = 0;  // of text columns
    bool nullable = true;
};

using TRecord = std::vector<QVariant>;  // one value per field, Null for NULL

// One row being put together, a value at a time, before it joins a TRowStore.
class TRowDraft {
public:
    void Clear();
    void SetNull(int field);
    void SetText(int field, std::string_view utf8);
    // Text from outside: what is not UTF-8 is kept as text the file cannot carry.
    void SetUncheckedText(int field, std::string_view bytes);
    void SetInteger(int field, qlonglong value);
    void SetUnsigned(int field, qulonglong value);
    void SetNumber(int field, double value);
    // Null, a number or text (anything else as its text).
    void SetValue(int field, const QVariant& value);
    void SetString(int field, QStringView text);

private:
    friend class TRowStore;
    struct TCell {
        int field;
        quint8 kind;
        quint64 bits;  // the integer or the double's bits; for text, offset << 32 | length in m_text
    };
    TCell& Cell(int field, quint8 kind);

    std::vector<TCell> m_cells;
    std::vector<int> m_at;  // per field: its index in m_cells, or -1
    std::string m_text;
};

// The rows of a record set, held compactly: each row keeps only the values it has (a value
// left out is NULL), integers and numbers as such, text as UTF-8. A row reads back as a TRecord
// of width() values; rows are only added, never changed in place.
class TRowStore {
public:
    TRowStore() = default;
    TRowStore(const std::vector<TRecord>& rows);
    TRowStore(std::initializer_list<TRecord> rows);

    size_t size() const { return m_rowAt.size(); }
    bool empty() const { return m_rowAt.empty(); }
    size_t width() const { return m_width; }
    void SetWidth(size_t fields) { m_width = fields; }

    const TRecord operator[](size_t row) const { return Row(row); }
    const TRecord at(size_t row) const;  // raises std::out_of_range
    TRecord Row(size_t row) const;
    QVariant Value(size_t row, size_t field) const;

    void push_back(const TRecord& row);
    template <class It>
    void emplace_back(It first, It last)
    {
        push_back(TRecord(first, last));
    }
    void Append(const TRowDraft& draft);
    void clear();

    bool operator==(const TRowStore& other) const;

    // A stored value as the writer reads it.
    enum class TKind : quint8 { Text, Integer, Unsigned, Number, BadText };
    struct TCell {
        int field;
        TKind kind;
        qlonglong integer;
        qulonglong unsignedInteger;
        double number;
        std::string_view text;  // UTF-8; BadText: text that held an unpaired surrogate
    };
    // Calls f(const TCell&) for each value the row has, in field order.
    template <class F>
    void ForEachCell(size_t row, F&& f) const
    {
        const char* p = RowData(row);
        for (quint64 n = Varint(p); n > 0; --n)
            f(NextCell(p));
    }

private:
    const char* RowData(size_t row) const;
    static quint64 Varint(const char*& p);
    static TCell NextCell(const char*& p);
    static QVariant CellValue(const TCell& c);
    static constexpr size_t kBlock = 1 << 20;
    std::vector<std::vector<char>> m_blocks;  // rows one after another, a row never split
    std::vector<quint64> m_rowAt;             // block << 32 | offset
    size_t m_width = 0;
    std::vector<char> m_scratch;
    std::vector<TRowDraft::TCell> m_sorted;
};

struct TRecordset {
    std::vector<TField> fields;
    TRowStore rows;
    // The field of that name, compared without regard to case; -1 when there is none.
    int FieldIndex(const QString& name) const;
};

// Our own columns: TEXT, REAL and INTEGER, all nullable.
TField TextField(const QString& name, int maxLength = 255);
TField NumberField(const QString& name);
TField IntegerField(const QString& name);

// A file that is no record set, or one this program cannot take.
class ERecordsetFormat : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// Numbers in the files' form, the C locale's: an optional "-", then digits (with at most one "."
// and an exponent for a number); nothing before or after. nullopt for anything else, and for an
// integer outside qlonglong or a number that is not finite.
std::optional<qlonglong> IntegerFromText(std::string_view text);
std::optional<double> NumberFromText(std::string_view text);

// A value as the grids show it: numbers in the C locale, NULL as nothing.
QString DisplayText(const QVariant& value);

// Shows a record set in a grid by column name: the grid's columns are given as names and
// titles, each taking the record set's field of that name (empty when it has none).
class TRecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TRecordsetModel(const QStringList& columns, const QStringList& titles, QObject* parent = nullptr);

    // The model shows rs (not owned) until it is given another one or none.
    void SetRecordset(const TRecordset* rs);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_columns;
    QStringList m_titles;
    std::vector<int> m_fieldOf;  // per grid column
    const TRecordset* m_rs = nullptr;
};
