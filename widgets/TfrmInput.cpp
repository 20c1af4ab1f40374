#include "TfrmInput.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmInput::TfrmInput(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmInput"));
    setWindowTitle(QStringLiteral("提示"));
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(15);
    setFont(f);
    resize(307, 131);

    stPrompt = new QLabel(QStringLiteral("11111111"), this);
    stPrompt->setObjectName(QStringLiteral("stPrompt"));
    stPrompt->move(8, 8);
    stPrompt->setMinimumSize(68, 19);

    edtInput = new QLineEdit(this);
    edtInput->setObjectName(QStringLiteral("edtInput"));
    edtInput->setGeometry(8, 32, 286, 23);

    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(72, 72, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    BitBtn2 = new QPushButton(QStringLiteral("取消"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(184, 72, 75, 25);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects as well

    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, edtInput);
}

void TfrmInput::SetMaxLength(int maxLength)
{
    // QLineEdit takes 0 as "nothing at all"; the box takes it as "no limit".
    edtInput->setMaxLength(maxLength > 0 ? maxLength : 32767);
}

void TfrmInput::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmInput::FormActivate()
{
    stPrompt->adjustSize();
    edtInput->setFocus();
}
