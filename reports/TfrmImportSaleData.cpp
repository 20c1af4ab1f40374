#include "TfrmImportSaleData.h"

#include "ExchangeLists.h"
#include "ReportMaking.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/TLog.h"

TfrmImportSaleData::TfrmImportSaleData(QWidget* parent)
    : TImportListWindow(SaleList(), SaleGridColumns(), QStringLiteral("请选择正确的销售清单文件!"), parent)
{
    setObjectName(QStringLiteral("frmImportSaleData"));
    setWindowTitle(QStringLiteral("销售发票清单导入"));
    CreateQuery();
}

void TfrmImportSaleData::CreateQuery() { CreateList(); }

void TfrmImportSaleData::LoadFile() { LoadList(); }

void TfrmImportSaleData::SaveSales()
{
    const QString path = LoadedFile();
    TStoreResult result;
    try {
        result = StoreSales(*DataBase, Rows());
    } catch (const ETallyraError& e) {
        ShowError(QStringLiteral("保存销售数据失败!原因为:") + e.Text());
        WriteLogLine(QStringLiteral("保存销售数据失败!"));
        return;
    }
    WriteLogLine(QStringLiteral("保存") + path + QStringLiteral("成功"));
    QString message = QStringLiteral("保存销售数据成功!");
    if (result.skipped > 0) {
        WriteLogLine(QStringLiteral("跳过已存在的发票%1张").arg(result.skipped));
        message += QStringLiteral("\n已存在的发票%1张，未重复保存。").arg(result.skipped);
    }
    ShowInfo(message);
    ListStored();
}
