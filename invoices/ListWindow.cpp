#include "ListWindow.h"

#include "TframeInput.h"
#include "TfrmInvDetail.h"
#include "core/Clock.h"
#include "core/TLog.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

QDateEdit* NewDatePicker(const char* name, const QString& format)
{
    auto* picker = Named(new TDatePicker, name);
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(true);
    // Room for the longest date of the format beside the drop-down button.
    picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(QDate(2026, 12, 28).toString(format)) + 40);
    return picker;
}

TListWindow::TListWindow(const TKind& kind, QWidget* parent) : QWidget(parent), m_closeLine(kind.closeLine)
{
    setObjectName(kind.name);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kind.caption);
    setMinimumSize(kind.minimumSize);

    dtpStart = NewDatePicker("dtpStart", kind.dateFormat);
    dtpEnd = NewDatePicker("dtpEnd", kind.dateFormat);
    dbgSale = new QTableView;
    dbgSale->setObjectName(QStringLiteral("dbgSale"));
    Panel3 = new QLabel;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    QFont big = Panel3->font();
    big.setPixelSize(16);
    Panel3->setFont(big);
    Panel3->setStyleSheet(QStringLiteral("color: blue"));
    m_top = new QHBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_top);
    layout->addWidget(dbgSale, 1);
    layout->addWidget(Panel3);

    m_list = new TListModel(kind.columns, this);
    SetUpListGrid(dbgSale, m_list, kind.multiSelect);
    // Until a query lists rows, each column is as wide as its title.
    TTextWidths widths(dbgSale->font());
    for (int c = 0; c < kind.columns.size(); ++c)
        dbgSale->setColumnWidth(c, ColumnWidth(0, widths.Width(m_list->headerData(c, Qt::Horizontal).toString())));
    // Select-all takes every row of the list, so the rows not yet read are read first.
    dbgSale->installEventFilter(this);
    for (QScrollBar* bar : {dbgSale->verticalScrollBar(), dbgSale->horizontalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] { WidenToRowsInView(); });
        connect(bar, &QScrollBar::rangeChanged, this, [this] { WidenToRowsInView(); });
    }
}

TListWindow::~TListWindow() { FormDestroy(); }

void TListWindow::FormDestroy()
{
    // The query goes before the grid that shows it.
    dbgSale->setModel(nullptr);
    delete m_list;
    m_list = nullptr;
}

void TListWindow::ShowThisMonth()
{
    const QDate today = Now().date();
    dtpStart->setDate(QDate(today.year(), today.month(), 1));
    dtpEnd->setDate(today);
}

void TListWindow::ShowCurrentInvoice()
{
    m_list->ReadToEnd();
    const int row = dbgSale->currentIndex().row();
    if (m_list->rowCount() == 0 || row < 0)
        return;
    TfrmInvDetail::ShowInvoice(m_list->Record(row), this);
}

void TListWindow::FitColumnsToRowsShown()
{
    m_fitRowsShown = true;
    m_widest.assign(m_list->columnCount(), 0);
    // The grid lays out its rows for the new list before they are measured.
    dbgSale->doItemsLayout();
    WidenToRowsInView(true);
}

void TListWindow::WidenToRowsInView(bool fresh)
{
    if (!m_fitRowsShown || int(m_widest.size()) != m_list->columnCount())
        return;
    const int rows = m_list->rowCount();
    int first = dbgSale->rowAt(0);
    int last = dbgSale->rowAt(dbgSale->viewport()->height() - 1);
    if (first < 0)
        first = 0;
    if (last < 0)
        last = rows - 1;
    TTextWidths widths(dbgSale->font());
    const int cap = dbgSale->viewport()->width() / 3;
    for (int c = 0; c < int(m_widest.size()); ++c) {
        int widest = m_widest[c];
        for (int r = first; r <= last && r < rows; ++r)
            widest = std::max(widest, widths.Width(m_list->index(r, c).data(Qt::DisplayRole).toString()));
        if (!fresh && widest == m_widest[c])
            continue;  // nothing wider came into view: a width the clerk set stays
        m_widest[c] = widest;
        const int title = widths.Width(m_list->headerData(c, Qt::Horizontal).toString());
        dbgSale->setColumnWidth(c, std::min(ColumnWidth(widest, title), std::max(cap, ColumnWidth(0, title))));
    }
}

bool TListWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == dbgSale && m_list && m_list->Reading() &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll))
        Guarded([this] { m_list->ReadToEnd(); });
    return QWidget::eventFilter(watched, event);
}

void TListWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_shown, true))
        return;
    Guarded([this] { FormShow(); });
    dtpStart->setFocus();
}

void TListWindow::closeEvent(QCloseEvent* event)
{
    FormClose();
    // The rows go now, not when the window is freed later.
    m_list->Clear();
    event->accept();
}

void TListWindow::FormClose() { WriteLogLine(m_closeLine); }
