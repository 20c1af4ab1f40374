#include "TfrmMKSaleReport.h"

#include "SaleList.h"
#include "core/Globals.h"
#include "core/TLog.h"
#include "core/TextCodec.h"

#include <QLineEdit>
#include <QPushButton>
#include <utility>

TfrmMKSaleReport::TfrmMKSaleReport(QWidget* parent)
    : TReportWindow({QStringLiteral("生成《机动车销售统一发票清单》"), QStringLiteral("frmMKSaleReport"), QSize(831, 565),
                     QStringLiteral("关闭生成《机动车销售统一发票清单》")},
                    parent)
{
    setTabOrder(btnMakeRep, btnPrt);
    setTabOrder(btnPrt, BitBtn2);
    setTabOrder(BitBtn2, edtPath);
    setTabOrder(edtPath, edtRepName);
}

void TfrmMKSaleReport::FormShow()
{
    if (std::exchange(m_shown, true))
        return;
    PrepareReportFile();
    btnMakeRep->setFocus();
}

void TfrmMKSaleReport::PrepareReportFile()
{
    PrepareReport([](const QString& month) { return SaleListFileName(CorpInfo.corpName, month); });
}

void TfrmMKSaleReport::btnMakeRepClick()
{
    if (ReadyToMakeReport(SaleListTemplate(), ReportFile) && FillSaleListSheet())
        WriteLogLine(QStringLiteral("生成") + ReportFile);
}

bool TfrmMKSaleReport::FillSaleListSheet()
{
    return FillReport([this] { MakeSaleList(TrimBlanks(edtPath->text()), TrimBlanks(edtRepName->text()), ReportMonth, true); });
}
