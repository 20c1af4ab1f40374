#include "TfrmMKNormalInv.h"

TfrmMKNormalInv::TfrmMKNormalInv(QWidget* parent)
    : TIssueWindow({QStringLiteral("单车销售发票开具"), QSize(770, 527), QStringLiteral("开单车销售发票:"),
                    QStringLiteral("关闭正常销售发票开具"), false},
                   parent)
{
    setObjectName(QStringLiteral("frmMKNormalInv"));
}
