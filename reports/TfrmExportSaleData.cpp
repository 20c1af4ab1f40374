#include "TfrmExportSaleData.h"

#include "ExchangeLists.h"

TfrmExportSaleData::TfrmExportSaleData(QWidget* parent) : TExportListWindow(SaleList(), SaleGridColumns(), parent)
{
    setObjectName(QStringLiteral("frmExportSaleData"));
    setWindowTitle(QStringLiteral("销售发票清单导出"));
    CreateQuery();
}

void TfrmExportSaleData::CreateQuery() { CreateList(); }

void TfrmExportSaleData::FormShow() { ShowMonth(); }

void TfrmExportSaleData::QuerySales() { QueryList(true); }

void TfrmExportSaleData::ExportToFile() { ExportList(); }

QString TfrmExportSaleData::ClosingLine() const { return QStringLiteral("关闭导出销售清单数据"); }
