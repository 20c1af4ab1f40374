#include "TIssueWindow.h"

#include "TframeInput.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/MyType.h"
#include "core/TLog.h"
#include "printing/TPrintTemplate.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <functional>

TIssueWindow::TIssueWindow(const TKind& kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kind.caption);
    setMinimumSize(kind.minimumSize);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    frameInput1 = new TframeInput(Panel1);
    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    btnAdd = new QPushButton(QStringLiteral("清空发票"), Panel2);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnPrt = new QPushButton(QStringLiteral("存盘打印"), Panel2);
    btnPrt->setObjectName(QStringLiteral("btnPrt"));
    btnClose = new QPushButton(QStringLiteral("放弃退出"), Panel2);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout(Panel2);
    buttons->addStretch();
    for (QPushButton* b : {btnAdd, btnPrt, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
        buttons->addSpacing(24);
    }
    buttons->addStretch();
    setTabOrder(btnAdd, btnPrt);
    setTabOrder(btnPrt, btnClose);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(frameInput1);
    panel->addWidget(Panel2);

    connect(btnAdd, &QPushButton::clicked, this, [this] { Guarded([this] { btnAddClick(); }); });
    connect(btnPrt, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrtClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    frameInput1->edtSKR->installEventFilter(this);
}

void TIssueWindow::FormShow()
{
    frameInput1->InitInvoice();
    FormResize();
    FocusFirstEntry();
    // The batch window turns to keeping the shared fields only once its first invoice is
    // issued: before that there is nothing to keep, and locking empty fields would leave the
    // clerk no way to fill them in.
    frameInput1->FMode = 0;
}

void TIssueWindow::btnAddClick()
{
    frameInput1->InitInvoice();
    FormResize();
    FocusFirstEntry();
}

void TIssueWindow::FocusFirstEntry()
{
    // The next invoice starts where the clerk types first: the buyer, or in a batch the next
    // car's certificate. Not the payee, where Enter would issue at once.
    QLineEdit* first = frameInput1->FMode == 1 ? frameInput1->edtHGZHM : frameInput1->edtGHDW;
    first->setFocus(Qt::OtherFocusReason);
    first->selectAll();
}

void TIssueWindow::btnPrtClick()
{
    if (!frameInput1->CheckInput(InvoiceState::Normal))
        return;
    if (!frameInput1->SaveAndPrint(InvoiceState::Normal))
        return;
    WriteLogLine(m_kind.logPrefix + (PrintTpl ? PrintTpl->GetValueString() : QString()));
    if (m_kind.batch)
        frameInput1->FMode = 1;
    if (!AskYesNo(QStringLiteral("开票成功，是否继续开票？？？")) || !frameInput1->InitInvoice()) {
        close();
        return;
    }
    FormResize();
    FocusFirstEntry();
}

void TIssueWindow::btnCloseClick() { close(); }

void TIssueWindow::FormResize()
{
    // The panel takes the size its contents ask for (the texts shown may have changed).
    Panel1->resize(Panel1->sizeHint());
    CentrePanel(this, Panel1);
}

bool TIssueWindow::frameInput1edtSKRKeyDown(QKeyEvent* key)
{
    if (!IsEnterKey(key->key()))
        return false;
    Guarded([this] { btnPrtClick(); });
    return true;
}

void TIssueWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TIssueWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TIssueWindow::closeEvent(QCloseEvent* event)
{
    WriteLogLine(m_kind.closeLine);
    event->accept();
}

bool TIssueWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frameInput1->edtSKR && event->type() == QEvent::KeyPress)
        return frameInput1edtSKRKeyDown(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}
