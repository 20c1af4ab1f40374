#include "ListGrid.h"

#include "InvoiceStatements.h"
#include "widgets/Guarded.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QBrush>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <cmath>

namespace {
QList<TGridColumn> Columns(std::initializer_list<std::pair<const char*, const char*>> list)
{
    QList<TGridColumn> columns;
    for (const auto& [field, title] : list)
        columns.append({QString::fromLatin1(field), QString::fromUtf8(title)});
    return columns;
}
}  // namespace

const QList<TGridColumn>& SaleColumns()
{
    static const QList<TGridColumn> columns = Columns({
        {"kprq", "开票日期"},
        {"fpdm", "发票代码"},
        {"fphm", "发票号码"},
        {"ghdw", "购货单位"},
        {"cllx", "车辆类型"},
        {"cpxh", "厂牌型号"},
        {"cd", "产地"},
        {"jwjehj", "价费合计金额"},
        {"fdjhm", "发动机号码"},
        {"cjhm", "车架号码/车辆识别代码"},
        {"sl", "数量"},
        {"dj", "单价"},
        {"htdh", "合同单号"},
        {"jwfy1", "价外费用名称"},
        {"jwje1", "价外费用金额"},
        {"jwfy2", "价外费用名称"},
        {"jwje2", "价外费用金额"},
        {"jwfy3", "价外费用名称"},
        {"jwje3", "价外费用金额"},
        {"jwhjdx", ""},
        {"saleName", "销货单位名称"},
        {"saleAdd", "地址"},
        {"saleTel", "电话"},
        {"saleMan", "开票人"},
        {"skr", "收款人"},
        {"ghdwID", "身份证号码/组织机构代码"},
    });
    return columns;
}

const QList<TGridColumn>& StockColumns()
{
    static const QList<TGridColumn> columns = Columns({
        {"lyrq", "领用日期"},
        {"fpdm", "发票代码"},
        {"fphmq", "发票号码起"},
        {"fphmz", "发票号码止"},
        {"dqhm", "当前号码"},
        {"lyfs", "领用份数"},
        {"syfs", "剩余份数"},
        {"kpdName", "开票点名称"},
    });
    return columns;
}

QString CellText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double) {
        // Whole amounts, the most of them, the quick way: the same digits as below.
        const double d = value.toDouble();
        if (d == std::trunc(d) && std::fabs(d) < 1e15 && !(d == 0 && std::signbit(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return value.toString();
}

TListModel::TListModel(QList<TGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_idle(new QTimer(this))
{
    // A block each time the event queue is empty: the grid stays usable while a long list is read.
    m_idle->setInterval(0);
    connect(m_idle, &QTimer::timeout, this, [this] { ReadNextBlock(); });
    MapColumns();
}

TListModel::~TListModel() = default;

void TListModel::StopReading()
{
    m_idle->stop();
    m_read.reset();
}

int TListModel::ReadInBlocks(std::unique_ptr<TBlockRead> read)
{
    StopReading();
    int count = 0;
    TReadRows first = read->Start(count);
    SetRows(std::move(first));
    if (!read->Done()) {
        m_read = std::move(read);
        m_idle->start();
    }
    return count;
}

void TListModel::ReadNextBlock()
{
    if (!m_read) {
        m_idle->stop();
        return;
    }
    Guarded([this] {
        try {
            AppendRows(m_read->Next());
        } catch (...) {
            StopReading();
            throw;
        }
        if (m_read->Done())
            StopReading();
    });
}

void TListModel::ReadToEnd()
{
    if (!m_read)
        return;
    // One insertion for the rest: a grid takes one large insertion quicker than many small.
    TReadRows rest;
    try {
        while (!m_read->Done())
            rest.Append(m_read->Next());
    } catch (...) {
        StopReading();
        AppendRows(std::move(rest));
        throw;
    }
    StopReading();
    AppendRows(std::move(rest));
}

void TListModel::AppendRows(TReadRows rows)
{
    if (rows.RowCount() == 0)
        return;
    const int first = m_rows.RowCount();
    beginInsertRows(QModelIndex(), first, first + rows.RowCount() - 1);
    m_rows.Append(std::move(rows));
    endInsertRows();
}

void TListModel::SetRows(TReadRows rows)
{
    StopReading();
    beginResetModel();
    m_rows = std::move(rows);
    MapColumns();
    endResetModel();
}

void TListModel::Clear() { SetRows(TReadRows()); }

void TListModel::MapColumns()
{
    m_source.assign(m_columns.size(), -1);
    for (int c = 0; c < m_columns.size(); ++c)
        m_source[c] = m_rows.FieldIndex(m_columns[c].field);
    m_state = m_rows.FieldIndex(QStringLiteral("fpzt"));
}

QSqlRecord TListModel::Record(int row) const { return m_rows.Record(row); }

QVariant TListModel::Field(int row, const QString& field) const
{
    const int c = m_rows.FieldIndex(field);
    return c < 0 ? QVariant() : m_rows.Value(row, c);
}

QString TListModel::Text(int row, int column) const
{
    const int source = column >= 0 && column < int(m_source.size()) ? m_source[size_t(column)] : -1;
    return source < 0 ? QString() : CellText(m_rows.Value(row, source));
}

int TListModel::TextWidth(int row, int column, TTextWidths& widths) const
{
    const int source = column >= 0 && column < int(m_source.size()) ? m_source[size_t(column)] : -1;
    if (source < 0)
        return 0;
    if (const std::optional<std::string_view> bytes = m_rows.TextBytes(row, source))
        return widths.Width(*bytes);
    return widths.Width(CellText(m_rows.Value(row, source)));
}

int TListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows.RowCount(); }

int TListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant TListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= int(m_source.size()))
        return {};
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
        if (!RowColours || m_state < 0)
            return {};
        const std::optional<TRowColours> colours = RowColours(m_rows.Value(index.row(), m_state).toString());
        if (!colours)
            return {};
        return QBrush(role == Qt::BackgroundRole ? colours->background : colours->text);
    }
    const int source = m_source[index.column()];
    if (source < 0)
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::EditRole)
        return m_rows.Value(index.row(), source);
    return {};
}

QVariant TListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns.size()) {
        if (role == Qt::DisplayRole)
            return m_columns[section].title.isEmpty() ? m_columns[section].field : m_columns[section].title;
        return {};
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);  // background, selection, focus
    const QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(opt.rect.adjusted(2, 0, -2, 0), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), text);
    painter->restore();
}

bool TCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                              const QModelIndex& index)
{
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (QFontMetrics(option.font).horizontalAdvance(text) > option.rect.width() - 4) {
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
            return true;
        }
    }
    // Else the grid's own hint.
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void SetUpListGrid(QTableView* grid, TListModel* model, bool multiSelect)
{
    QFont font = grid->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    grid->setFont(font);
    grid->setModel(model);
    grid->setItemDelegate(new TCellDelegate(grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->verticalHeader()->setDefaultSectionSize(22);
}

namespace {
// Characters of scripts drawn without shaping: Latin, general punctuation (no format marks),
// symbols, CJK and full-width forms.
bool Unshaped(char16_t u)
{
    return (u >= 0x20 && u < 0x7f) || (u >= 0xa0 && u < 0x250) || (u >= 0x2010 && u < 0x2028) || (u >= 0x2030 && u < 0x205f) ||
           (u >= 0x2100 && u < 0x2c00) || (u >= 0x3000 && u < 0xa000) || (u >= 0xf900 && u < 0xfb00) ||
           (u >= 0xff00 && u < 0xfff0);
}
}  // namespace

TTextWidths::TTextWidths(const QFont& font) : m_metrics(font), m_metricsF(font), m_advance(0x10000, -1.0) {}

int TTextWidths::Width(const QString& text)
{
    double width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!Unshaped(u))
            return m_metrics.horizontalAdvance(text);
        double& advance = m_advance[u];
        if (advance < 0)
            advance = m_metricsF.horizontalAdvance(c);
        width += advance;
    }
    return qRound(width);
}

int TTextWidths::Width(std::string_view utf8)
{
    // Characters of one to three bytes decoded here; anything else (four bytes, a sequence not
    // well formed, a character that is shaped) is measured as the text a grid shows.
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* const end = p + utf8.size();
    double width = 0;
    while (p < end) {
        char32_t u = *p;
        if (u < 0x80) {
            ++p;
        } else if (u >= 0xc2 && u < 0xe0 && end - p >= 2 && (p[1] & 0xc0) == 0x80) {
            u = ((u & 0x1f) << 6) | (p[1] & 0x3f);
            p += 2;
        } else if (u >= 0xe0 && u < 0xf0 && end - p >= 3 && (p[1] & 0xc0) == 0x80 && (p[2] & 0xc0) == 0x80) {
            u = ((u & 0x0f) << 12) | ((p[1] & 0x3f) << 6) | (p[2] & 0x3f);
            p += 3;
            if (u < 0x800)
                return Width(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        } else {
            return Width(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        }
        if (!Unshaped(char16_t(u)))
            return Width(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        double& advance = m_advance[u];
        if (advance < 0)
            advance = m_metricsF.horizontalAdvance(QChar(char16_t(u)));
        width += advance;
    }
    return qRound(width);
}

int ColumnWidth(int widestCell, int title) { return (title < widestCell ? widestCell : title) + 4; }
