#pragma once
#include "core/TADODB.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QSqlRecord>
#include <QStyledItemDelegate>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class QTableView;
class QTimer;
class TBlockRead;

// A column of a list grid: the field it shows and its title (empty: the field's name shows).
struct TGridColumn {
    QString field;
    QString title;
};

// The 26 invoice columns of the issued-invoice and issuing-record grids, in order.
const QList<TGridColumn>& SaleColumns();
// The 8 roll columns of the stock query.
const QList<TGridColumn>& StockColumns();

// A stored value as the grids show it: Null as empty text, numbers plainly (12345, 125000.5).
QString CellText(const QVariant& value);

struct TRowColours {
    QColor background;
    QColor text;
};

// The chosen columns of rows read out whole, titled, with each row's colours (background and
// text roles) by its state field fpzt. Holding the values, it keeps no statement open while
// it is shown, and every listed row is there to be selected.
class TListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TListModel(QList<TGridColumn> columns, QObject* parent);
    ~TListModel() override;

    // The colours of a row in a state; nullopt keeps the grid's own.
    std::function<std::optional<TRowColours>(const QString& state)> RowColours;

    // Shows the rows (every field of the query); Clear shows none. Either ends a reading.
    void SetRows(TReadRows rows);
    void Clear();
    // Shows the first block of read now and returns the count of its rows; the rest follows a
    // block at a time while the program is idle. Raises EDatabaseError.
    int ReadInBlocks(std::unique_ptr<TBlockRead> read);
    // Reads now what is left unread, so that an action on the listed rows meets every one of
    // them. Raises EDatabaseError (the reading ends; the rows read stay).
    void ReadToEnd();
    bool Reading() const { return m_read != nullptr; }
    const QList<TGridColumn>& Columns() const { return m_columns; }
    // The whole stored row behind a grid row (every field of the query).
    QSqlRecord Record(int row) const;
    // A field of the row by name (Null when the query has no such field).
    QVariant Field(int row, const QString& field) const;
    // The text a cell shows (empty when its column's field is missing).
    QString Text(int row, int column) const;
    // Its width in widths' font, measured without making the text where it is stored text.
    int TextWidth(int row, int column, class TTextWidths& widths) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void MapColumns();
    void ReadNextBlock();
    void AppendRows(TReadRows rows);
    void StopReading();

    QList<TGridColumn> m_columns;
    std::unique_ptr<TBlockRead> m_read;  // the list still being read; null when whole
    QTimer* m_idle;
    TReadRows m_rows;
    std::vector<int> m_source;  // field of each column, -1 when missing
    int m_state = -1;           // field of fpzt
};

// Draws a cell's text 2 pixels in from its left edge and never elides it, so that a column
// four pixels wider than its widest text shows every text whole. A text its column cuts shows
// whole in the cell's tooltip.
class TCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

// A list grid: titles centred, a row indicator, whole rows selected (several when multiSelect),
// resizable columns, no editing, texts drawn unshaped (see TTextWidths).
void SetUpListGrid(QTableView* grid, TListModel* model, bool multiSelect);

// Widths in pixels of texts drawn unshaped in a font. An unshaped text is as wide as the sum of
// its characters' advances, so each character is measured once; a text holding characters of
// scripts that are shaped all the same is measured whole.
class TTextWidths {
public:
    explicit TTextWidths(const QFont& font);
    int Width(const QString& text);
    // The same for a text in UTF-8.
    int Width(std::string_view utf8);

private:
    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    std::vector<double> m_advance;  // by UTF-16 code unit; < 0 until measured
};

// The issuing-record grid's rule: a column is 4 pixels wider than its widest cell or its
// title, whichever is wider.
int ColumnWidth(int widestCell, int title);
