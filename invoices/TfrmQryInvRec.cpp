#include "TfrmQryInvRec.h"

#include "InvoiceStatements.h"
#include "TframeInput.h"
#include "core/TLog.h"
#include "widgets/Guarded.h"

#include <QDateEdit>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>

TfrmQryInvRec::TfrmQryInvRec(QWidget* parent)
    : TListWindow({QStringLiteral("查询发票库存信息"), QStringLiteral("frmQryInvRec"), QSize(600, 400),
                   QStringLiteral("yyyy-MM-dd"), QStringLiteral("关闭查询库存信息界面！"), StockColumns(), true},
                  parent)
{
    BitBtn1 = new QPushButton(QStringLiteral("查询"));
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("关闭"));
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    QBoxLayout* filters = TopBar();
    filters->addWidget(new QLabel(QStringLiteral("领用日期")));
    filters->addWidget(dtpStart);
    filters->addWidget(new QLabel(QStringLiteral("至")));
    filters->addWidget(dtpEnd);
    filters->addWidget(BitBtn1);
    filters->addWidget(BitBtn2);
    filters->addStretch();

    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TfrmQryInvRec::FormShow()
{
    InitForm();
    ShowThisMonth();
}

void TfrmQryInvRec::InitForm() { dsInv = List(); }

void TfrmQryInvRec::BitBtn1Click() { QueryStock(); }

void TfrmQryInvRec::QueryStock()
{
    const TStatement statement = StockStatement(dtpStart->date(), dtpEnd->date());
    WriteLogLine(QStringLiteral("查询库存信息,条件为:") + statement.Text);
    dsInv->SetRows(ReadStatement(statement));
    FitColumnsToRowsShown();
    // The rows read are the rows counted: a count of its own could see another moment.
    Panel3->setText(QStringLiteral("  共查询到") + QString::number(dsInv->rowCount()) + QStringLiteral("条记录!"));
}

void TfrmQryInvRec::BitBtn2Click() { close(); }
