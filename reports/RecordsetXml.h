#pragma once
// The exchange files of the invoicing points: record sets persisted in the XML layout that the
// peers' record-set writers use (schema of the columns, then one row element per record).
#include "core/Errors.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <string_view>
#include <vector>

class QIODevice;

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

struct TRecordset {
    std::vector<TField> fields;
    std::vector<TRecord> rows;
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

// Writes rs as current rows. Raises ERecordsetFormat for a value the format cannot carry (the
// reason names its row and column) and EInOutError when the device fails.
void WriteRecordsetXml(QIODevice& device, const TRecordset& rs);
// Writes into a temporary file beside path that replaces path only once it is complete.
void SaveRecordsetXmlFile(const QString& path, const TRecordset& rs);

// Reads a record-set file from its bytes (UTF-8 with or without a BOM, UTF-16 with one).
// Raises ERecordsetFormat when it is none or a value does not fit its column's type.
TRecordset ReadRecordsetXml(QByteArray bytes);
// The same from a file; a file larger than kMaxRecordsetFile is refused unread.
TRecordset LoadRecordsetXmlFile(const QString& path);
inline constexpr qint64 kMaxRecordsetFile = 64LL * 1024 * 1024;

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
