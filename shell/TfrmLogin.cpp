#include "TfrmLogin.h"

#include "widgets/InputHelpers.h"
#include "widgets/WindowHelpers.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmLogin::TfrmLogin(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(425, 218);

    Image1 = NewPictureLabel(QStringLiteral("login"), this, QStringLiteral("Image1"));
    Image1->setGeometry(rect());

    Label1 = new QLabel(QStringLiteral("Tallyra"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(SongFont(35, true));
    Label1->setStyleSheet(QStringLiteral("color: #00ff00; background: transparent;"));
    Label1->setGeometry(24, 14, 380, 48);

    LabPwd = new QLabel(QStringLiteral("密码："), this);
    LabPwd->setObjectName(QStringLiteral("LabPwd"));
    LabPwd->setFont(SongFont(16, true));
    LabPwd->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    LabPwd->setGeometry(88, 96, 60, 24);

    EdPwd = new QLineEdit(this);
    EdPwd->setObjectName(QStringLiteral("EdPwd"));
    EdPwd->setEchoMode(QLineEdit::Password);
    // Six characters, not GBK bytes; the program never sets this text itself.
    EdPwd->setMaxLength(6);
    EdPwd->setGeometry(150, 94, 170, 26);
    EdPwd->installEventFilter(this);

    Label2 = new QLabel(QStringLiteral("初始密码：740291"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(SongFont(13, true));
    Label2->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    Label2->setGeometry(150, 126, 200, 20);

    BitBtnOK = new QPushButton(QStringLiteral("登录"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setAutoDefault(false);
    BitBtnOK->setGeometry(110, 166, 90, 30);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfrmLogin::BitBtnOKClick);

    BitBtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    BitBtnCancel->setGeometry(230, 166, 90, 30);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TfrmLogin::BitBtnCancelClick);
}

void TfrmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmLogin::FormShow() { EdPwd->setFocus(); }

bool TfrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EdPwd && event->type() == QEvent::KeyPress)
        return EdPwdKeyDown(static_cast<QKeyEvent*>(event)->key());
    return QDialog::eventFilter(watched, event);
}

bool TfrmLogin::EdPwdKeyDown(int key)
{
    if (!IsEnterKey(key))
        return false;
    BitBtnOK->click();
    return true;
}

void TfrmLogin::BitBtnOKClick()
{
    const QString typed = EdPwd->text();
    if (typed.isEmpty()) {
        RefuseInput(QStringLiteral("请输入密码！"), EdPwd);
        return;
    }
    if (typed.size() != 6) {
        ShowWarning(QStringLiteral("请输入6位密码！"));
        EdPwd->selectAll();
        EdPwd->setFocus();
        return;
    }
    if (typed != UserPassword) {
        // Never the typed text: a wrong entry is most often a near miss of the password.
        WriteLogLine(QStringLiteral("口令错误!"));
        ShowWarning(QStringLiteral("口令错误，请重新输入口令！"));
        EdPwd->selectAll();
        EdPwd->setFocus();
        return;
    }
    LoginOK = 1;
    WriteLogLine(QStringLiteral("用户登录"));
    accept();  // the modal result OK
}

void TfrmLogin::BitBtnCancelClick() { reject(); }
