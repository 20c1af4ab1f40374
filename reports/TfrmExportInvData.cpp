#include "TfrmExportInvData.h"

#include "ExchangeLists.h"

TfrmExportInvData::TfrmExportInvData(QWidget* parent) : TExportListWindow(StockList(), StockGridColumns(), parent)
{
    setObjectName(QStringLiteral("frmExportInvData"));
    setWindowTitle(QStringLiteral("发票领用库存导出"));
}

void TfrmExportInvData::CreateQuery() { CreateList(); }

// The stock window makes its list when it is shown.
void TfrmExportInvData::FormShow()
{
    CreateQuery();
    ShowMonth();
}

void TfrmExportInvData::QueryStock() { QueryList(false); }

void TfrmExportInvData::ExportToFile() { ExportList(); }

QString TfrmExportInvData::ClosingLine() const { return QStringLiteral("关闭导出库存数据"); }
