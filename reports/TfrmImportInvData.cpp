#include "TfrmImportInvData.h"

#include "ExchangeLists.h"
#include "ReportMaking.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/TLog.h"

TfrmImportInvData::TfrmImportInvData(QWidget* parent)
    : TImportListWindow(StockList(), StockGridColumns(), QStringLiteral("请选择正确的库存清单文件!"), parent)
{
    setObjectName(QStringLiteral("frmImportInvData"));
    setWindowTitle(QStringLiteral("发票领用库存导入"));
    CreateQuery();
}

void TfrmImportInvData::CreateQuery() { CreateList(); }

void TfrmImportInvData::LoadFile() { LoadList(); }

void TfrmImportInvData::SaveStock()
{
    const QString path = LoadedFile();
    try {
        StoreStock(*DataBase, Rows());
    } catch (const ETallyraError& e) {
        WriteLogLine(QStringLiteral("保存") + path + QStringLiteral("失败,原因为:") + e.Text());
        ShowError(QStringLiteral("保存库存数据失败!\n") + e.Text());
        return;
    }
    WriteLogLine(QStringLiteral("保存") + path + QStringLiteral("成功!"));
    ShowInfo(QStringLiteral("保存库存数据成功!"));
    ListStored();
}
