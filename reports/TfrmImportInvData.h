#pragma once
#include "TImportListWindow.h"

// "发票领用库存导入": a branch's stock list stored over the rolls it names, or added.
class TfrmImportInvData : public TImportListWindow {
    Q_OBJECT
public:
    explicit TfrmImportInvData(QWidget* parent = nullptr);

    void CreateQuery();
    void LoadFile() override;
    void SaveStock();

protected:
    void SaveList() override { SaveStock(); }
};
