#include "TfrmUpdatePass.h"

#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

TfrmUpdatePass::TfrmUpdatePass(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmUpdatePass"));
    setWindowTitle(QStringLiteral("修改口令"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetMinimiseOnlyTitleBar(this);
    resize(481, 294);
    setFont(SongFont(14));

    Image1 = NewPictureLabel(QStringLiteral("password"), this, QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 481, 294);
    m_panel = new QWidget(this);  // the controls, kept centred over the stretched picture
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(0, 0, 481, 294);

    const auto row = [this](QLabel*& label, const QString& caption, const char* labelName, QLineEdit*& edit, const char* editName,
                            int y) {
        label = Named(new QLabel(caption, m_panel), labelName);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(90, y, 100, 26);
        edit = Named(new QLineEdit(m_panel), editName);
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(6);  // six characters; the program never sets these texts
        edit->setGeometry(196, y, 170, 26);
        edit->installEventFilter(this);
    };
    row(LabPwd, QStringLiteral("旧密码："), "LabPwd", edtOldPass, "edtOldPass", 60);
    row(Label1, QStringLiteral("新密码："), "Label1", edtNewPass, "edtNewPass", 104);
    row(Label2, QStringLiteral("确认密码："), "Label2", edtSecPass, "edtSecPass", 148);

    btnOK = new QPushButton(QStringLiteral("修改"), m_panel);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(130, 210, 90, 30);
    connect(btnOK, &QPushButton::clicked, this, &TfrmUpdatePass::btnOKClick);

    BitBtnCancel = new QPushButton(QStringLiteral("取消"), m_panel);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setGeometry(260, 210, 90, 30);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TfrmUpdatePass::BitBtnCancelClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &TfrmUpdatePass::BitBtnCancelClick);

    setTabOrder(btnOK, BitBtnCancel);
    setTabOrder(BitBtnCancel, edtOldPass);
    setTabOrder(edtOldPass, edtNewPass);
    setTabOrder(edtNewPass, edtSecPass);
}

void TfrmUpdatePass::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Image1->setGeometry(rect());
    CentrePanel(this, m_panel);
}

void TfrmUpdatePass::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    edtOldPass->setFocus();
}

bool TfrmUpdatePass::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == edtOldPass)
            return edtOldPassKeyDown(key);
        if (watched == edtNewPass)
            return edtNewPassKeyDown(key);
        if (watched == edtSecPass)
            return edtSecPassKeyDown(key);
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmUpdatePass::edtOldPassKeyDown(int key)
{
    if (!IsEnterKey(key))
        return false;
    edtNewPass->setFocus();
    return true;
}

bool TfrmUpdatePass::edtNewPassKeyDown(int key)
{
    if (!IsEnterKey(key))
        return false;
    edtSecPass->setFocus();
    return true;
}

bool TfrmUpdatePass::edtSecPassKeyDown(int key)
{
    if (!IsEnterKey(key))
        return false;
    btnOK->click();
    return true;
}

void TfrmUpdatePass::btnOKClick() { ChangePassword(); }

void TfrmUpdatePass::BitBtnCancelClick() { close(); }

bool TfrmUpdatePass::ChangePassword()
{
    const QString oldPass = edtOldPass->text();
    const QString newPass = edtNewPass->text();
    const QString second = edtSecPass->text();
    if (oldPass.isEmpty())
        return RefuseInput(QStringLiteral("请输入旧口令！！"), edtOldPass);
    if (newPass.isEmpty())
        return RefuseInput(QStringLiteral("请输入新口令！！！"), edtNewPass);
    if (newPass.size() != 6)
        return RefuseInput(QStringLiteral("口令只能是6位！！！"), edtNewPass);
    if (second.isEmpty())
        return RefuseInput(QStringLiteral("请再次输入新口令！！！"), edtSecPass);
    if (second.size() != 6)
        return RefuseInput(QStringLiteral("口令只能是6位！！！"), edtSecPass);
    if (second != newPass)
        return RefuseInput(QStringLiteral("两次输入的口令不相同！！！"), edtSecPass);
    if (oldPass != UserPassword)
        return RefuseInput(QStringLiteral("旧口令输入不正确"), edtOldPass);

    const bool saved = SavePassword(newPass);
    WriteLogLine(saved ? QStringLiteral("修改口令成功!") : QStringLiteral("修改口令失败!"));
    if (!saved)
        return RefuseInput(QStringLiteral("修改口令失败！"), edtSecPass);
    UserPassword = newPass;
    ShowInfo(QStringLiteral("修改口令成功！"));
    close();
    return true;
}
