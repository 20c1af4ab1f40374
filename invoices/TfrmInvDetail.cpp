#include "TfrmInvDetail.h"

#include "TframeInput.h"
#include "widgets/WindowHelpers.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QSqlRecord>
#include <QVBoxLayout>
#include <exception>
#include <memory>

TfrmInvDetail::TfrmInvDetail(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInvDetail"));
    setWindowTitle(QStringLiteral("发票详细信息"));
    setMinimumSize(766, 530);
    frameInput1 = new TframeInput(this);
    btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    // Enter closes the view; the fields can still be walked with Tab and selected.
    btnClose->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frameInput1);
    layout->addWidget(btnClose, 0, Qt::AlignHCenter);
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

void TfrmInvDetail::btnCloseClick() { close(); }

void TfrmInvDetail::ShowInvoice(const QSqlRecord& row, QWidget* parent)
{
    auto detail = std::make_unique<TfrmInvDetail>(parent);
    try {
        // Only what showing needs: the layout, the lists and the seller. The stock is left
        // alone, so a look at an invoice never opens a roll nor warns of an empty stock.
        detail->frameInput1->PrepareInvoice();
        detail->frameInput1->LoadFromDataSet(row);
        detail->frameInput1->SetInputEnabled(false);
        detail->btnClose->setFocus();
        const QString number = row.value(QStringLiteral("fphm")).toString();
        detail->setWindowTitle(detail->windowTitle() + QStringLiteral("——") + number);
        detail->resize(detail->sizeHint().expandedTo(detail->minimumSize()));
        CentreOnScreen(detail.get(), parent ? parent->screen() : QGuiApplication::primaryScreen());
    } catch (const std::exception&) {
        return;  // the view is freed; a row it cannot show is no error of the clerk's
    }
    detail->exec();
}
