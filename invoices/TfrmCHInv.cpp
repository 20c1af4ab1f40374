#include "TfrmCHInv.h"

#include "TframeInput.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/MyType.h"
#include "core/TADODB.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "printing/TPrintTemplate.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QVBoxLayout>
#include <exception>
#include <functional>

namespace {
// "发票号码<number>(<code>)" as the search's messages name an invoice.
QString InvoiceInMessage(const QString& number, const QString& code)
{
    return QStringLiteral("发票号码") + number + u'(' + code + u')';
}
}  // namespace

QString NegatedAmount(const QString& text)
{
    const std::optional<double> value = ParseAmount(text);
    if (!value || *value == 0)
        return text;
    const QString t = TrimBlanks(text);
    if (t.startsWith(u'-'))
        return t.mid(1);
    return u'-' + (t.startsWith(u'+') ? t.mid(1) : t);
}

TfrmCHInv::TfrmCHInv(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCHInv"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("负数发票开具"));
    setMinimumSize(770, 531);

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel2 = Named(new QWidget(Panel1), "Panel2");
    Panel2->setFixedHeight(41);
    StaticText1 = Named(new QLabel(QStringLiteral("请输入发票号码:"), Panel2), "StaticText1");
    edtInput = Named(new QLineEdit(Panel2), "edtInput");
    QFont inputFont = edtInput->font();
    inputFont.setBold(true);
    inputFont.setPixelSize(16);
    edtInput->setFont(inputFont);
    LimitTyped(edtInput, 8);
    btnQry = Named(new QPushButton(QStringLiteral("查询"), Panel2), "btnQry");
    btnPrt = Named(new QPushButton(QStringLiteral("存盘打印"), Panel2), "btnPrt");
    btnClose = Named(new QPushButton(QStringLiteral("关闭"), Panel2), "btnClose");
    frameInput1 = new TframeInput(Panel1);

    auto* bar = new QHBoxLayout(Panel2);
    bar->setContentsMargins(8, 4, 8, 4);
    bar->addWidget(StaticText1);
    bar->addWidget(edtInput);
    for (QPushButton* b : {btnQry, btnPrt, btnClose}) {
        b->setAutoDefault(false);
        bar->addSpacing(12);
        bar->addWidget(b);
    }
    bar->addStretch();
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(0);
    panel->addWidget(Panel2);
    panel->addWidget(frameInput1);
    setTabOrder(edtInput, btnQry);
    setTabOrder(btnQry, btnPrt);
    setTabOrder(btnPrt, btnClose);

    connect(btnQry, &QPushButton::clicked, this, [this] { Guarded([this] { btnQryClick(); }); });
    connect(btnPrt, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrtClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    edtInput->installEventFilter(this);
}

void TfrmCHInv::FormShow()
{
    frameInput1->InitInvoice();
    // Nothing can be typed into the invoice before a search.
    frameInput1->SetInputEnabled(false);
    frameInput1->FMode = 0;
    cmbTJChange();
    FormResize();
    edtInput->setFocus();
}

void TfrmCHInv::cmbTJChange() { LimitTyped(edtInput, 8); }

void TfrmCHInv::btnQryClick()
{
    const QString typed = TrimBlanks(edtInput->text());
    if (typed.isEmpty()) {
        RefuseInput(QStringLiteral("请输入要冲红的发票号码或车辆识别号!"), edtInput);
        return;
    }
    // Numbers are stored with their eight digits, as the stock receipt books them: "1001" is
    // 00001001. The number searched, counted, named in the messages and stored as the
    // reversed number is that one text.
    if (!IsDigits(typed) || typed.size() > 8) {
        RefuseInput(QStringLiteral("发票号码只能是8位！"), edtInput);
        return;
    }
    const QString number = typed.rightJustified(8, u'0');
    edtInput->setText(number);
    FBlankCode = frameInput1->stFPDM->text();
    FBlankNo = frameInput1->stFPHM->text();
    // Only a number stored in no state at all is typed by hand: a voided, handed-back or lost
    // one goes the found way, which refuses what is not a normal invoice.
    if (frameInput1->InvoiceExists(number, QString(), InvoiceState::Normal) || frameInput1->CountInvoices(number, QString()) != 0)
        LoadFound(number);
    else
        ManualEntry(number);
}

void TfrmCHInv::ManualEntry(const QString& number)
{
    // A number reversed by hand before has its reversal stored without a code.
    if (frameInput1->IsReversed(number, QString())) {
        ShowWarning(InvoiceInMessage(number, QString()) + QStringLiteral("号发票已经冲红！"));
        return;
    }
    ShowWarning(QStringLiteral("没有查找到此发票"));
    frameInput1->SetInputEnabled(true);
    frameInput1->InitInvoice();
    frameInput1->SetAmountKeyFilter([this](QLineEdit* e, QKeyEvent* k) { return ConfirmInput(e, k); });
    frameInput1->edtYSFPHM->setText(number);
    frameInput1->edtYSFPDM->clear();
    FormResize();
    btnPrt->setFocus();
}

void TfrmCHInv::LoadFound(const QString& number)
{
    TframeInput& f = *frameInput1;
    QString code;
    if (f.CountInvoices(number, QString()) > 1) {
        QString reply;
        if (!InputBoxEx(QStringLiteral("提示"), QStringLiteral("发票号码重复，请输入发票代码"), reply, 12))
            return;
        code = TrimBlanks(reply);
        if (code.isEmpty())
            return;
    }
    if (f.CountInvoices(number, code) != 1) {
        ShowWarning(InvoiceInMessage(number, code) + QStringLiteral("的发票信息不存在！"));
        return;
    }
    const QSqlRecord row = f.FoundRow();
    const QString ownCode = row.value(QStringLiteral("fpdm")).toString();
    // A voided, handed-back or lost number, or a negative invoice, is no sale to reverse.
    if (row.value(QStringLiteral("fpzt")).toString() != InvoiceState::Normal) {
        ShowWarning(InvoiceInMessage(number, ownCode) + QStringLiteral("的发票不是正常发票，不能冲红！"));
        return;
    }
    // Tested with the invoice's own code, which is what a reversal stores; a reversal stored
    // without a code counts for every invoice of the number.
    if (f.IsReversed(number, ownCode)) {
        ShowWarning(InvoiceInMessage(number, code) + QStringLiteral("号发票已经冲红！"));
        return;
    }

    f.LoadFromDataSet(row);
    const QDate today = Now().date();
    f.stYear->setText(today.toString(QStringLiteral("yyyy")));
    f.stMonth->setText(today.toString(QStringLiteral("MM")));
    f.stDay->setText(today.toString(QStringLiteral("dd")));
    for (QLineEdit* e : {f.edtDJ, f.edtJWJE1, f.edtJWJE2, f.edtJWJE3})
        e->setText(NegatedAmount(e->text()));
    f.stFPDM->setText(FBlankCode);
    f.stFPHM->setText(FBlankNo);
    f.edtYSFPHM->setText(number);
    f.edtYSFPDM->setText(ownCode);
    f.SetInputEnabled(false);
    FormResize();
    btnPrt->setFocus();
}

void TfrmCHInv::btnPrtClick()
{
    if (!frameInput1->CheckInput(InvoiceState::Negative)) {
        // A locked frame cannot take the focus the check asks for: the clerk searches again.
        if (IsFieldReadOnly(frameInput1->edtGHDW))
            edtInput->setFocus();
        return;
    }
    if (!frameInput1->SaveAndPrint(InvoiceState::Negative))
        return;
    WriteLogLine(QStringLiteral("开负数票:") + (PrintTpl ? PrintTpl->GetValueString() : QString()));
    if (!AskYesNo(QStringLiteral("开负数票成功，是否继续开票？？？")) || !frameInput1->InitInvoice()) {
        close();
        return;
    }
    frameInput1->SetInputEnabled(false);
    edtInput->clear();
    FormResize();
    edtInput->setFocus();
}

bool TfrmCHInv::edtInputKeyDown(QKeyEvent* key)
{
    if (!IsEnterKey(key->key()))
        return false;
    Guarded([this] { btnQryClick(); });
    return true;
}

bool TfrmCHInv::ConfirmInput(QLineEdit* edit, QKeyEvent* key)
{
    const QString typed = key->text();
    return typed.isEmpty() || !AmountKeyAccepted(edit->text(), typed.at(0), true);
}

void TfrmCHInv::btnCloseClick() { close(); }

void TfrmCHInv::FormResize()
{
    Panel1->resize(Panel1->sizeHint());
    CentrePanel(this, Panel1);
}

void TfrmCHInv::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmCHInv::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmCHInv::closeEvent(QCloseEvent* event)
{
    WriteLogLine(QStringLiteral("关闭负数发票开具"));
    event->accept();
}

bool TfrmCHInv::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtInput && event->type() == QEvent::KeyPress)
        return edtInputKeyDown(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}
