#include "TfrmQrySale.h"

#include "InvoiceStatements.h"
#include "TframeInput.h"
#include "core/MyType.h"
#include "core/TLog.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QDateEdit>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>

namespace {
const QColor kGray(0x80, 0x80, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);

// A coloured square and its text.
QWidget* LegendItem(const QColor& colour, const QString& text)
{
    auto* item = new QWidget;
    auto* layout = new QHBoxLayout(item);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* square = new QLabel;
    square->setFixedSize(14, 14);
    square->setAutoFillBackground(true);
    QPalette palette = square->palette();
    palette.setColor(QPalette::Window, colour);
    square->setPalette(palette);
    layout->addWidget(square);
    layout->addWidget(new QLabel(text));
    return item;
}
}  // namespace

TfrmQrySale::TfrmQrySale(QWidget* parent)
    : TListWindow({QStringLiteral("开票记录查询"), QStringLiteral("frmQrySale"), QSize(720, 420), QStringLiteral("yyyy年M月d日"),
                   QStringLiteral("关闭开票记录查询"), SaleColumns(), false},
                  parent),
      ColWidths(SaleColumns().size(), 0)
{
    edtCJHM = Named(new QLineEdit, "edtCJHM");
    LimitTyped(edtCJHM, 20);
    edtFPHM = Named(new QLineEdit, "edtFPHM");
    LimitTyped(edtFPHM, 8);
    cmbZT = Named(new QComboBox, "cmbZT");
    cmbZT->addItems({QStringLiteral("正常"), QStringLiteral("作废"), QStringLiteral("负数"), QStringLiteral("交回"),
                     QStringLiteral("遗失"), QStringLiteral("全部")});
    btnQry = Named(new QPushButton(QStringLiteral("查询")), "btnQry");
    btnClose = Named(new QPushButton(QStringLiteral("关闭")), "btnClose");
    dbgSale->setToolTip(QStringLiteral("双击查看该发票的详细信息"));

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("起始时间")), 0, 0);
    filters->addWidget(dtpStart, 0, 1);
    filters->addWidget(new QLabel(QStringLiteral("结束时间")), 0, 2);
    filters->addWidget(dtpEnd, 0, 3);
    filters->addWidget(new QLabel(QStringLiteral("发票状态")), 0, 4);
    filters->addWidget(cmbZT, 0, 5);
    filters->addWidget(new QLabel(QStringLiteral("车架号码/车辆识别代码")), 1, 0);
    filters->addWidget(edtCJHM, 1, 1);
    filters->addWidget(new QLabel(QStringLiteral("发票号码")), 1, 2);
    filters->addWidget(edtFPHM, 1, 3);
    filters->addWidget(btnQry, 1, 4);
    filters->addWidget(btnClose, 1, 5);
    auto* legend = new QHBoxLayout;
    legend->addWidget(LegendItem(Qt::red, QStringLiteral("负数")));
    legend->addWidget(LegendItem(kGray, QStringLiteral("作废")));
    legend->addWidget(LegendItem(Qt::blue, QStringLiteral("交回")));
    legend->addWidget(LegendItem(kGreen, QStringLiteral("遗失")));
    legend->addStretch();
    filters->addLayout(legend, 2, 0, 1, 6);
    TopBar()->addLayout(filters);
    TopBar()->addStretch();
    setTabOrder(dtpStart, dtpEnd);
    setTabOrder(dtpEnd, cmbZT);
    setTabOrder(cmbZT, edtCJHM);
    setTabOrder(edtCJHM, edtFPHM);
    setTabOrder(edtFPHM, btnQry);

    dsSale = List();
    dsSale->RowColours = [this](const QString& state) { return dbgSaleDrawColumnCell(state); };
    connect(btnQry, &QPushButton::clicked, this, [this] { Guarded([this] { btnQryClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(dbgSale, &QAbstractItemView::doubleClicked, this, [this] { Guarded([this] { dbgSaleDblClick(); }); });
}

void TfrmQrySale::FormShow() { InitForm(); }

void TfrmQrySale::InitForm()
{
    ShowThisMonth();
    ApplyColumnWidths();
}

void TfrmQrySale::btnQryClick() { QuerySales(); }

void TfrmQrySale::QuerySales()
{
    const TStatement statement =
        SalesStatement(dtpStart->date(), dtpEnd->date(), cmbZT->currentIndex(), edtCJHM->text(), edtFPHM->text());
    WriteLogLine(QStringLiteral("查询开票记录,条件为:") + statement.Text);
    // The grid waits while the rows are walked, so that it paints once, at the end.
    dbgSale->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { dbgSale->setUpdatesEnabled(true); });
    dsSale->SetRows(ReadStatement(statement));
    MeasureRows();
    ApplyColumnWidths();
    // The rows read are the rows counted: a count of its own could see another moment.
    Panel3->setText(QStringLiteral("  共查询到") + QString::number(dsSale->rowCount()) + QStringLiteral("条记录!"));
}

void TfrmQrySale::MeasureRows()
{
    TTextWidths widths(dbgSale->font());
    const int rows = dsSale->rowCount();
    const int columns = std::min(int(ColWidths.size()), dsSale->columnCount());
    // Row by row: each row's values lie together, so the rows are walked once.
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            ColWidths[size_t(c)] = std::max(ColWidths[size_t(c)], dsSale->TextWidth(r, c, widths));
}

void TfrmQrySale::ApplyColumnWidths()
{
    TTextWidths widths(dbgSale->font());
    for (int c = 0; c < int(ColWidths.size()); ++c) {
        const int title = widths.Width(dsSale->headerData(c, Qt::Horizontal).toString());
        dbgSale->setColumnWidth(c, ColumnWidth(ColWidths[c], title));
    }
}

std::optional<TRowColours> TfrmQrySale::dbgSaleDrawColumnCell(const QString& fpzt) const
{
    if (fpzt == InvoiceState::Voided)
        return TRowColours{kGray, Qt::white};
    if (fpzt == InvoiceState::Negative)
        return TRowColours{Qt::red, Qt::white};
    if (fpzt == InvoiceState::HandedBack)
        return TRowColours{Qt::blue, Qt::white};
    if (fpzt == InvoiceState::Lost)
        return TRowColours{kGreen, Qt::white};
    return std::nullopt;
}

void TfrmQrySale::dbgSaleDblClick() { ShowCurrentInvoice(); }

void TfrmQrySale::btnCloseClick() { close(); }
