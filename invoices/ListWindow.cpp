#include "ListWindow.h"

#include "TframeInput.h"
#include "TfrmInvDetail.h"
#include "core/Clock.h"
#include "widgets/Guarded.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

QDateEdit* NewDatePicker(const char* name, const QString& format)
{
    auto* picker = new QDateEdit;
    picker->setObjectName(QString::fromLatin1(name));
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
    // Each column as wide as its title or the widest of the fixed-width values it shows.
    TTextWidths widths(dbgSale->font());
    for (int c = 0; c < kind.columns.size(); ++c) {
        const QString field = kind.columns[c].field;
        const QString sample = field == u"kprq" || field == u"lyrq" ? QStringLiteral("2026-12-28 23:59:59")
                               : field == u"fpdm"                   ? QStringLiteral("144001900111")
                               : field == u"cjhm"                   ? QStringLiteral("LSVAB2B3000000001")
                                                                    : QStringLiteral("00000000");
        const int title = widths.Width(m_list->headerData(c, Qt::Horizontal).toString());
        dbgSale->setColumnWidth(c, std::max(ColumnWidth(widths.Width(sample), title), 64));
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
    const int row = dbgSale->currentIndex().row();
    if (m_list->rowCount() == 0 || row < 0)
        return;
    TfrmInvDetail::ShowInvoice(m_list->Record(row), this);
}

void TListWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
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

void TListWindow::FormClose() { WriteInvoiceLog(m_closeLine); }
