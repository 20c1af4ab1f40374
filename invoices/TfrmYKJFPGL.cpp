#include "TfrmYKJFPGL.h"

#include "InvoiceStatements.h"
#include "TframeInput.h"
#include "core/Clock.h"
#include "core/MyType.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/TADODB.h"
#include "core/TLog.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QDateEdit>
#include <QBoxLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <algorithm>

namespace {
QPushButton* Button(const QString& caption, const char* name)
{
    auto* button = Named(new QPushButton(caption), name);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

TfrmYKJFPGL::TfrmYKJFPGL(QWidget* parent)
    : TListWindow({QStringLiteral("已开具发票管理"), QStringLiteral("frmYKJFPGL"), QSize(720, 420),
                   QStringLiteral("yyyy年M月d日"), QStringLiteral("关闭已开具发票管理"), SaleColumns(), true},
                  parent)
{
    edtFPHM = new QLineEdit;
    edtFPHM->setObjectName(QStringLiteral("edtFPHM"));
    LimitTyped(edtFPHM, 8);
    edtCJHM = new QLineEdit;
    edtCJHM->setObjectName(QStringLiteral("edtCJHM"));
    LimitTyped(edtCJHM, 20);
    btnClear = Button(QStringLiteral("清除"), "btnClear");
    btnQry = Button(QStringLiteral("查询"), "btnQry");
    btnBlank = Button(QStringLiteral("作废"), "btnBlank");
    btnClose = Button(QStringLiteral("关闭"), "btnClose");
    dbgSale->setToolTip(QStringLiteral("双击查看该发票的详细信息,按CTRL键可选择多条记录"));

    auto* filters = new QGridLayout;
    filters->addWidget(new QLabel(QStringLiteral("开票日期：")), 0, 0);
    filters->addWidget(dtpStart, 0, 1);
    filters->addWidget(new QLabel(QStringLiteral("至")), 0, 2);
    filters->addWidget(dtpEnd, 0, 3);
    filters->addWidget(new QLabel(QStringLiteral("发票号码：")), 0, 4);
    filters->addWidget(edtFPHM, 0, 5);
    filters->addWidget(new QLabel(QStringLiteral("车辆识别号：")), 0, 6);
    filters->addWidget(edtCJHM, 0, 7);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnClear, btnQry, btnBlank, btnClose})
        buttons->addWidget(b);
    buttons->addStretch();
    filters->addLayout(buttons, 1, 1, 1, 7);
    TopBar()->addLayout(filters);
    TopBar()->addStretch();
    setTabOrder(dtpStart, dtpEnd);
    setTabOrder(dtpEnd, edtFPHM);
    setTabOrder(edtFPHM, edtCJHM);
    setTabOrder(edtCJHM, btnClear);

    FormCreate();
    connect(btnClear, &QPushButton::clicked, this, [this] { Guarded([this] { btnClearClick(); }); });
    connect(btnQry, &QPushButton::clicked, this, [this] { Guarded([this] { btnQryClick(); }); });
    connect(btnBlank, &QPushButton::clicked, this, [this] { Guarded([this] { btnBlankClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(dbgSale, &QAbstractItemView::doubleClicked, this, [this] { Guarded([this] { dbgSaleDblClick(); }); });
}

void TfrmYKJFPGL::FormCreate()
{
    dsSale = List();
    dsSale->RowColours = [this](const QString& state) { return dbgSaleDrawColumnCell(state); };
}

void TfrmYKJFPGL::FormShow() { ResetQuery(); }

void TfrmYKJFPGL::btnClearClick() { ResetQuery(); }

void TfrmYKJFPGL::ResetQuery()
{
    ShowThisMonth();
    edtFPHM->clear();
    edtCJHM->clear();
    dsSale->Clear();  // the count line keeps its text
}

void TfrmYKJFPGL::btnQryClick() { QueryInvoices(); }

void TfrmYKJFPGL::QueryInvoices()
{
    const TStatement statement =
        IssuedInvoicesStatement(dtpStart->date(), dtpEnd->date(), edtFPHM->text(), edtCJHM->text(), CorpInfo.kpdName);
    // The first rows show at once, counted in the same read; the rest follow while idle.
    const int count = dsSale->ReadInBlocks(std::make_unique<TBlockRead>(statement, kFirstRows, kRowsPerBlock));
    FitColumnsToRowsShown();
    Panel3->setText(QStringLiteral("   共查询到：") + QString::number(count) + QStringLiteral("条记录"));
}

void TfrmYKJFPGL::btnBlankClick()
{
    dsSale->ReadToEnd();
    if (dsSale->rowCount() == 0) {
        ShowWarning(QStringLiteral("没有要作废的发票！"));
        return;
    }
    QList<int> rows;
    for (const QModelIndex& index : dbgSale->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty()) {
        ShowWarning(QStringLiteral("请选择要作废的发票!"));
        return;
    }
    std::sort(rows.begin(), rows.end());
    struct TSelected {
        QString fphm, fpdm, kprq;
        QVariant cjhm;
    };
    // Read before anything is changed: the list is re-read once, at the end.
    QList<TSelected> selected;
    for (int row : rows)
        selected.append({dsSale->Field(row, QStringLiteral("fphm")).toString(),
                         dsSale->Field(row, QStringLiteral("fpdm")).toString(),
                         dsSale->Field(row, QStringLiteral("kprq")).toString(), dsSale->Field(row, QStringLiteral("cjhm"))});
    for (const TSelected& s : selected) {
        if (!AskYesNo(
                QStringLiteral("您确实要作废") + s.fphm + QStringLiteral("号发票吗？？\n一旦作废将无法恢复，请您慎重选择!!!"),
                TMsgKind::Warning, mbNo))
            continue;
        const QDateTime issued = QDateTime::fromString(s.kprq, QString::fromLatin1(kDateTimeFormat));
        if (!issued.isValid()) {
            // A date that cannot be read (an import, say) is not guessed at.
            WriteLogLine(QStringLiteral("作废发票") + s.fphm + QStringLiteral("失败！"));
            ShowWarning(QStringLiteral("作废发票") + s.fphm + QStringLiteral("失败！"));
            continue;
        }
        if (VoidableAt(issued, Now()))
            VoidInvoice(s.fphm, s.fpdm, s.cjhm, s.kprq);
        else
            ShowWarning(QStringLiteral("不能作废上月数据"));
    }
    QueryInvoices();
}

void TfrmYKJFPGL::VoidInvoice(const QString& fphm, const QString& fpdm, const QVariant& cjhm, const QString& kprq)
{
    int changed = 0;
    try {
        QSqlQuery q =
            DataBase->Run(QStringLiteral("update SaleDetail set fpzt='1' where fphm=:fphm and fpdm=:fpdm  and  cjhm IS :cjhm and "
                                         "kprq=:kprq"),
                          {{QStringLiteral("fphm"), TextParam(fphm)},
                           {QStringLiteral("fpdm"), TextParam(fpdm)},
                           {QStringLiteral("cjhm"), TextKeepingNull(cjhm)},
                           {QStringLiteral("kprq"), TextParam(kprq)}});
        changed = q.numRowsAffected();
    } catch (const std::exception&) {
        changed = 0;
    }
    // An invoice the statement did not find is not voided, whatever the database said.
    const QString message =
        QStringLiteral("作废发票") + fphm + (changed > 0 ? QStringLiteral("成功！") : QStringLiteral("失败！"));
    WriteLogLine(message);
    if (changed > 0)
        ShowInfo(message);
    else
        ShowWarning(message);
}

std::optional<TRowColours> TfrmYKJFPGL::dbgSaleDrawColumnCell(const QString& fpzt) const
{
    if (fpzt == InvoiceState::Negative)
        return TRowColours{Qt::red, Qt::white};
    return std::nullopt;
}

void TfrmYKJFPGL::dbgSaleDblClick() { ShowCurrentInvoice(); }

void TfrmYKJFPGL::btnCloseClick() { close(); }
