#include "TfrmPLMKInv.h"

TfrmPLMKInv::TfrmPLMKInv(QWidget* parent)
    : TIssueWindow({QStringLiteral("批量销售发票开具"), QSize(770, 532), QStringLiteral("批量开具发票:"),
                    QStringLiteral("关闭批量销售发票开具"), true},
                   parent)
{
    setObjectName(QStringLiteral("frmPLMKInv"));
}
