#include "TfrmUserAccept.h"

#include "widgets/WindowHelpers.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmUserAccept::TfrmUserAccept(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmUserAccept"));
    setWindowTitle(QStringLiteral("使用协议"));
    resize(630, 450);
    setFont(SongFont(14));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFile text(QStringLiteral(":/text/UserAccept.txt"));
    if (text.open(QIODevice::ReadOnly))
        Memo1->setPlainText(QString::fromUtf8(text.readAll()));

    BitBtn1 = new QPushButton(QStringLiteral("拒绝"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects as well

    BitBtn2 = new QPushButton(QStringLiteral("接受"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setDefault(true);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    buttons->addSpacing(40);
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
}
