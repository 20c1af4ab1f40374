#pragma once
#include "exchange/RecordsetXml.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;
struct TGridColumns;
struct TListKind;
struct TStoreResult;

// What the sales and the stock import windows share: a branch's exchange file loaded into a
// grid, then stored in this database and removed.
class TImportListWindow : public QWidget {
    Q_OBJECT
public:
    QWidget* Panel1;
    QPushButton* SpeedButton1;
    QLineEdit* edtPath;
    QPushButton* btnImport;
    QPushButton* btnSave;
    QPushButton* btnClose;
    QWidget* Panel2;
    QTableView* dbgSale;

    // The loaded rows, and the file they came from.
    const TRecordset& Rows() const { return m_rows; }
    const QString& LoadedFile() const { return m_loadedFile; }

    void SpeedButton1Click();
    void btnImportClick();
    void btnSaveClick();
    void btnCloseClick();

protected:
    // The path must contain the kind's name; wrongFile: the warning when it does not.
    TImportListWindow(const TListKind& kind, const TGridColumns& columns, const QString& wrongFile, QWidget* parent);

    // An empty record set the grid shows.
    void CreateList();
    void LoadList();
    // After a stored list: the grid emptied, the buttons back, the loaded file removed.
    void ListStored();

    virtual void LoadFile() = 0;
    virtual void SaveList() = 0;

    void closeEvent(QCloseEvent* event) override;

private:
    const TListKind& m_kind;
    QString m_wrongFile;
    TRecordset m_rows;
    // Another file may be picked once the rows are loaded: what is stored, and then removed,
    // is this one.
    QString m_loadedFile;
    TRecordsetModel* m_model;
};
