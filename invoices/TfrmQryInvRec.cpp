#include "TfrmQryInvRec.h"

#include "InvoiceStatements.h"
#include "ListGrid.h"
#include "TframeInput.h"
#include "core/Clock.h"
#include "widgets/Guarded.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TfrmQryInvRec::TfrmQryInvRec(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmQryInvRec"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("查询发票库存信息"));
    setMinimumSize(700, 450);

    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    dtpStart = named(new QDateEdit, "dtpStart");
    dtpEnd = named(new QDateEdit, "dtpEnd");
    for (QDateEdit* d : {dtpStart, dtpEnd}) {
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setCalendarPopup(true);
    }
    BitBtn1 = named(new QPushButton(QStringLiteral("查询")), "BitBtn1");
    BitBtn2 = named(new QPushButton(QStringLiteral("关闭")), "BitBtn2");
    dbgSale = named(new QTableView, "dbgSale");
    Panel3 = named(new QLabel, "Panel3");
    QFont big = Panel3->font();
    big.setPixelSize(16);
    Panel3->setFont(big);
    Panel3->setStyleSheet(QStringLiteral("color: blue"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("领用日期")));
    filters->addWidget(dtpStart);
    filters->addWidget(new QLabel(QStringLiteral("至")));
    filters->addWidget(dtpEnd);
    filters->addWidget(BitBtn1);
    filters->addWidget(BitBtn2);
    filters->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(dbgSale, 1);
    layout->addWidget(Panel3);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

TfrmQryInvRec::~TfrmQryInvRec() { FormDestroy(); }

void TfrmQryInvRec::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    Guarded([this] { FormShow(); });
    // Once more when the frame around it is up: the frame takes the focus as it is shown.
    dtpStart->setFocus();
    QTimer::singleShot(0, dtpStart, [this] { dtpStart->setFocus(); });
}

void TfrmQryInvRec::FormShow()
{
    InitForm();
    const QDate today = Now().date();
    dtpStart->setDate(QDate(today.year(), today.month(), 1));
    dtpEnd->setDate(today);
}

void TfrmQryInvRec::InitForm()
{
    if (dsInv)
        return;
    dsInv = new TListModel(StockColumns(), this);
    SetUpListGrid(dbgSale, dsInv, true);
}

void TfrmQryInvRec::BitBtn1Click() { QueryStock(); }

void TfrmQryInvRec::QueryStock()
{
    const TStatement statement = StockStatement(dtpStart->date(), dtpEnd->date());
    WriteInvoiceLog(QStringLiteral("查询库存信息,条件为:") + statement.Text);
    const int count = CountRows(statement);
    dsInv->Query()->setQuery(OpenStatement(statement, false));
    Panel3->setText(QStringLiteral("  共查询到") + QString::number(count) + QStringLiteral("条记录!"));
}

void TfrmQryInvRec::BitBtn2Click() { close(); }

void TfrmQryInvRec::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmQryInvRec::FormClose() { WriteInvoiceLog(QStringLiteral("关闭查询库存信息界面！")); }

void TfrmQryInvRec::FormDestroy()
{
    dbgSale->setModel(nullptr);
    delete dsInv;
    dsInv = nullptr;
}
