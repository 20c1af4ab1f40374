#include "TfrmAbout.h"

#include "widgets/WindowHelpers.h"

#include <QLabel>
#include <QPushButton>

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(499, 235);

    Image1 = NewPictureLabel(QStringLiteral("about"), this, QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 177, 235);

    Label1 = new QLabel(QStringLiteral("Tallyra"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(SongFont(21, true));
    Label1->setStyleSheet(QStringLiteral("color: black;"));
    Label1->setGeometry(200, 20, 280, 30);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(SongFont(13));
    Label2->setText(QStringLiteral("机动车销售统一发票开具系统\n版本 %1\n\n"
                                   "开具发票、管理发票库存、生成月度报表与申报数据。\n"
                                   "使用帮助：菜单“关于—帮助？”。")
                        .arg(QStringLiteral(TALLYRA_VERSION)));
    Label2->setGeometry(200, 60, 290, 120);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setWordWrap(true);  // a line longer than the box goes on below, never cut

    BitBtn1 = new QPushButton(QStringLiteral("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(390, 192, 90, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}
