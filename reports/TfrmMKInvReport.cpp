#include "TfrmMKInvReport.h"

#include "StockStatement.h"
#include "core/Globals.h"
#include "core/TLog.h"
#include "core/TextCodec.h"

#include <QLineEdit>
#include <QPushButton>

TfrmMKInvReport::TfrmMKInvReport(QWidget* parent)
    : TReportWindow({QStringLiteral("生成《机动车销售统一发票领用存月报表》"), QStringLiteral("frmMKInvReport"), QSize(833, 540),
                     QStringLiteral("关闭生成《机动车销售统一发票领用存月报表》")},
                    parent)
{
    setTabOrder(edtRepName, btnMakeRep);
    setTabOrder(btnMakeRep, BitBtn2);
    setTabOrder(BitBtn2, btnPrt);
    setTabOrder(btnPrt, edtPath);
}

void TfrmMKInvReport::FormShow()
{
    PrepareReportFile();
    edtRepName->setFocus();
}

void TfrmMKInvReport::PrepareReportFile()
{
    PrepareReport([](const QString& month) { return StockStatementFileName(CorpInfo.corpName, month); });
}

void TfrmMKInvReport::btnMakeRepClick()
{
    if (ReadyToMakeReport(StockStatementTemplate(), ReportFile) && FillStockSheet())
        WriteLogLine(QStringLiteral("生成") + ReportFile);
}

bool TfrmMKInvReport::FillStockSheet()
{
    return FillReport([this] { MakeStockStatement(TrimBlanks(edtPath->text()), TrimBlanks(edtRepName->text()), ReportMonth); });
}
