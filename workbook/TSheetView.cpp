#include "TSheetView.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <cmath>

namespace {
// Draws a cell as usual, then the sheet's light grid on its right and bottom edges and its
// borders over them. A left or top border goes on the neighbour's last pixel, where that
// neighbour's right or bottom line is, so that a line between two cells is drawn once.
class TSheetDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QRect r = option.rect;
        const int bits = index.data(TSheetModel::BordersRole).toInt();
        painter->save();
        painter->setPen(QPen(QColor(0xd9, 0xd9, 0xd9), 1));
        if (!(bits & TSheetModel::Right))
            painter->drawLine(r.topRight(), r.bottomRight());
        if (!(bits & TSheetModel::Bottom))
            painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->setPen(QPen(Qt::black, 1));
        const int left = r.left() > 0 ? r.left() - 1 : r.left();
        const int top = r.top() > 0 ? r.top() - 1 : r.top();
        if (bits & TSheetModel::Left)
            painter->drawLine(left, top, left, r.bottom());
        if (bits & TSheetModel::Top)
            painter->drawLine(left, top, r.right(), top);
        if (bits & TSheetModel::Right)
            painter->drawLine(r.right(), top, r.right(), r.bottom());
        if (bits & TSheetModel::Bottom)
            painter->drawLine(left, r.bottom(), r.right(), r.bottom());
        painter->restore();
    }
};
}  // namespace

int BorderBits(const TCellLook& look)
{
    return (look.left ? TSheetModel::Left : 0) | (look.top ? TSheetModel::Top : 0) | (look.right ? TSheetModel::Right : 0) |
           (look.bottom ? TSheetModel::Bottom : 0);
}

int ColumnPixels(double characters) { return characters > 0 ? static_cast<int>(std::lround(characters * 7 + 5)) : 0; }

Qt::Alignment AlignmentOf(const TCellLook& look, TCellKind kind)
{
    Qt::Alignment a;
    switch (look.horizontal) {
    case TCellLook::General:
        a = kind == TCellKind::Number                                ? Qt::AlignRight
            : kind == TCellKind::Boolean || kind == TCellKind::Error ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
        break;
    case TCellLook::Left:
        a = Qt::AlignLeft;
        break;
    case TCellLook::Center:
        a = Qt::AlignHCenter;
        break;
    case TCellLook::Right:
        a = Qt::AlignRight;
        break;
    }
    switch (look.vertical) {
    case TCellLook::Bottom:
        return a | Qt::AlignBottom;
    case TCellLook::Middle:
        return a | Qt::AlignVCenter;
    case TCellLook::Top:
        return a | Qt::AlignTop;
    }
    return a;
}

TSheetModel::TSheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void TSheetModel::SetSheet(TSheetReader sheet)
{
    beginResetModel();
    m_sheet = std::move(sheet);
    endResetModel();
}

QFont TSheetModel::FontOf(const TCellLook& l)
{
    QFont f(l.fontName.isEmpty() ? QStringLiteral("宋体") : l.fontName);
    f.setPointSizeF(l.fontSize > 0 ? l.fontSize : 11);
    f.setBold(l.bold);
    return f;
}

int TSheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Frame().rows; }
int TSheetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Frame().columns; }

QVariant TSheetModel::data(const QModelIndex& index, int role) const
{
    TCellValue value;
    TCellLook look;
    if (!m_sheet.Cell(index.row() + 1, index.column() + 1, value, look))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return value.text;
    case Qt::FontRole:
        return FontOf(look);
    case Qt::TextAlignmentRole:
        return static_cast<int>(AlignmentOf(look, value.kind));
    case BordersRole:
        return BorderBits(look);
    default:
        return {};
    }
}

TSheetView::TSheetView(QWidget* parent) : QTableView(parent), m_model(new TSheetModel(this))
{
    setModel(m_model);
    setItemDelegate(new TSheetDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);  // the cells draw the grid, under their borders
    setStyleSheet(QStringLiteral("QTableView { background: white; }"));
}

bool TSheetView::LoadFile(const QString& file)
{
    m_file = file;
    try {
        TSheetReader sheet;
        sheet.Open(file);
        m_model->SetSheet(std::move(sheet));
        m_error.clear();
    } catch (const ETallyraError& e) {
        m_model->SetSheet({});
        m_error = e.Text();
    }
    ApplyLayout();
    viewport()->update();
    return m_error.isEmpty();
}

void TSheetView::Clear()
{
    m_file.clear();
    m_error.clear();
    m_model->SetSheet({});
    ApplyLayout();
    viewport()->update();
}

void TSheetView::ApplyLayout()
{
    const TSheetContent& c = m_model->Frame();
    clearSpans();
    for (int col = 0; col < c.columns; ++col)
        setColumnWidth(col, ColumnPixels(c.columnWidths[static_cast<size_t>(col)]));
    const double pixelsPerPoint = logicalDpiY() / 72.0;
    verticalHeader()->setDefaultSectionSize(static_cast<int>(std::lround(c.defaultRowHeight * pixelsPerPoint)));
    for (const auto& [row, height] : c.rowHeights)
        if (row <= c.rows)
            setRowHeight(row - 1, static_cast<int>(std::lround(height * pixelsPerPoint)));
    for (const TCellRange& m : c.merges)
        if (m.bottom > m.top || m.right > m.left)
            setSpan(m.top - 1, m.left - 1, m.bottom - m.top + 1, m.right - m.left + 1);
}

void TSheetView::paintEvent(QPaintEvent* event)
{
    if (m_error.isEmpty()) {
        QTableView::paintEvent(event);
        return;
    }
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().base());
    p.setPen(Qt::darkRed);
    p.drawText(viewport()->rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, m_error);
}
