#include "TfrmWKJFPGL.h"

#include "BlankRun.h"
#include "TframeInput.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/PubFun.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/Guarded.h"
#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

namespace {
// The operations in the order of the radio group, with the state each writes.
const char* const kOperations[] = {"作废", "交回", "遗失"};
const QString* const kStates[] = {&InvoiceState::Voided, &InvoiceState::HandedBack, &InvoiceState::Lost};

QLineEdit* NumberField(const char* name, bool readOnly)
{
    auto* edit = Named(new QLineEdit, name);
    edit->setReadOnly(readOnly);
    QFont font = edit->font();
    font.setPixelSize(20);
    font.setBold(true);
    edit->setFont(font);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, Qt::red);
    edit->setPalette(palette);
    return edit;
}
}  // namespace

TfrmWKJFPGL::TfrmWKJFPGL(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmWKJFPGL"));
    setWindowTitle(QStringLiteral("未开具发票管理"));
    setFixedSize(483, 300);

    rdgLX = new QGroupBox(QStringLiteral("请选择操作类型"));
    rdgLX->setObjectName(QStringLiteral("rdgLX"));
    rdgLXItems = new QButtonGroup(this);
    auto* items = new QHBoxLayout(rdgLX);
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(kOperations[i]));
        item->setObjectName(QStringLiteral("rdgLX%1").arg(i));
        rdgLXItems->addButton(item, i);
        items->addWidget(item);
    }
    rdgLXItems->button(0)->setChecked(true);

    edtFPDM = NumberField("edtFPDM", true);
    edtSFPHM = NumberField("edtSFPHM", true);
    edtEFPHM = NumberField("edtEFPHM", false);
    LimitTyped(edtEFPHM, 8);
    auto* numbers = new QGroupBox(QStringLiteral("要操作的发票信息"));
    numbers->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(numbers);
    grid->addWidget(new QLabel(QStringLiteral("发票代码：")), 0, 0);
    grid->addWidget(edtFPDM, 0, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("发票号码：")), 1, 0);
    grid->addWidget(edtSFPHM, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("至")), 1, 2);
    grid->addWidget(edtEFPHM, 1, 3);

    btnBlank = new QPushButton(QString::fromUtf8(kOperations[0]));
    btnBlank->setObjectName(QStringLiteral("btnBlank"));
    btnClose = new QPushButton(QStringLiteral("关闭"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {btnBlank, btnClose}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
        buttons->addStretch();
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rdgLX);
    layout->addWidget(numbers);
    layout->addLayout(buttons);

    connect(rdgLXItems, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rdgLXClick();
    });
    connect(btnBlank, &QPushButton::clicked, this, [this] { Guarded([this] { btnBlankClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    // The clerk types the end number and presses Enter: the operation, with its question.
    connect(edtEFPHM, &QLineEdit::returnPressed, btnBlank, &QPushButton::click);
}

void TfrmWKJFPGL::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (std::exchange(m_shown, true))
        return;
    CentreOnScreen(this, QGuiApplication::primaryScreen());
    Guarded([this] { FormShow(); });
    edtEFPHM->setFocus();
    edtEFPHM->selectAll();
}

void TfrmWKJFPGL::FormShow() { LoadCurInvoice(); }

void TfrmWKJFPGL::LoadCurInvoice()
{
    // Without stock the record stays empty, and so do the fields.
    CurInfo = TCurFPInfo();
    GetCurInvoice(CurInfo);
    edtFPDM->setText(CurInfo.fpdm);
    edtSFPHM->setText(CurInfo.dqhm);
    edtEFPHM->setText(CurInfo.dqhm);
}

int TfrmWKJFPGL::ItemIndex() const { return rdgLXItems->checkedId(); }

QString TfrmWKJFPGL::Operation() const { return btnBlank->text(); }

void TfrmWKJFPGL::rdgLXClick() { btnBlank->setText(QString::fromUtf8(kOperations[ItemIndex()])); }

void TfrmWKJFPGL::btnBlankClick()
{
    const QString last = TrimBlanks(edtEFPHM->text());
    if (last > CurInfo.fphmz) {
        ShowWarning(QStringLiteral("发票号码止不能大于最大号码") + CurInfo.fphmz);
        return;
    }
    if (last < edtSFPHM->text()) {
        ShowWarning(QStringLiteral("发票号码止不能小于当前号码") + CurInfo.dqhm);
        return;
    }
    // The text comparisons let "00005" or "0000500a" through between the current and the
    // last number: only a whole number ends a run.
    if (!edtSFPHM->text().isEmpty() && (last.size() != 8 || !IsDigits(last) || InvoiceCount(edtSFPHM->text(), last) < 1)) {
        RefuseInput(QStringLiteral("发票号码只能是8位！"), edtEFPHM);
        return;
    }
    const QString op = Operation();
    if (!AskYesNo(
            QStringLiteral("确定要") + op + QStringLiteral("此发票吗,\n一旦") + op + QStringLiteral("将无法恢复，请您慎重选择？"),
            TMsgKind::Warning, mbNo))
        return;
    RegisterBlankRange(*kStates[ItemIndex()]);
}

void TfrmWKJFPGL::RegisterBlankRange(const QString& State)
{
    const QString op = Operation();
    const QString first = edtSFPHM->text();
    const QString last = TrimBlanks(edtEFPHM->text());
    const QString code = edtFPDM->text();
    if (first.isEmpty() || last.isEmpty() || code.isEmpty()) {
        ShowWarning(QStringLiteral("没有要") + op + QStringLiteral("发票"));
        return;
    }
    const QString run = op + first + u'-' + last;
    try {
        StoreBlankRun(code, first, InvoiceCount(first, last), State);
    } catch (const std::exception& e) {
        WriteLogLine(run + QStringLiteral("失败！"));
        WriteLogLine(QStringLiteral("原因为:") + QString::fromUtf8(e.what()));
        ShowWarning(run + QStringLiteral("失败！"));
        // Nothing of the run was stored: the fields show the roll as it stands.
        LoadCurInvoice();
        return;
    }
    WriteLogLine(run + QStringLiteral("成功！"));
    ShowInfo(run + QStringLiteral("成功！"));
    accept();
}

void TfrmWKJFPGL::btnCloseClick() { reject(); }

void TfrmWKJFPGL::done(int result)
{
    // However the window goes (its button, Escape, the title bar), it says so once.
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    QDialog::done(result);
}

void TfrmWKJFPGL::FormClose() { WriteLogLine(QStringLiteral("关闭未开具发票管理")); }
