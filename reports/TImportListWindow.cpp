#include "TImportListWindow.h"

#include "ExchangeLists.h"
#include "ReportMaking.h"
#include "ExchangeWindowParts.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TImportListWindow::TImportListWindow(const TListKind& kind, const TGridColumns& columns, const QString& wrongFile,
                                     QWidget* parent)
    : QWidget(parent), m_kind(kind), m_wrongFile(wrongFile)
{
    PrepareListWindow(this);

    Panel1 = Named(new QWidget(this), "Panel1");
    SpeedButton1 = Named(new QPushButton(QStringLiteral("请选择要导入的文件"), Panel1), "SpeedButton1");
    edtPath = Named(new QLineEdit(Panel1), "edtPath");
    edtPath->setReadOnly(true);
    btnImport = Named(new QPushButton(QStringLiteral("导入"), Panel1), "btnImport");
    btnSave = Named(new QPushButton(QStringLiteral("保存"), Panel1), "btnSave");
    btnSave->setEnabled(false);
    btnClose = Named(new QPushButton(QStringLiteral("关闭"), Panel1), "btnClose");
    LayOutBar(Panel1, {SpeedButton1, edtPath, btnImport, btnSave, btnClose}, edtPath);

    Panel2 = Named(new QWidget(this), "Panel2");
    m_model = new TRecordsetModel(columns.names, columns.titles, this);
    dbgSale = NewListGrid(Panel2, m_model);
    auto* grid = new QVBoxLayout(Panel2);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(dbgSale);

    StackBarAndPanel(this, Panel1, Panel2);
    setTabOrder(SpeedButton1, btnImport);
    setTabOrder(btnImport, btnSave);
    setTabOrder(btnSave, btnClose);
    setTabOrder(btnClose, dbgSale);

    connect(SpeedButton1, &QPushButton::clicked, this, [this] { Guarded([this] { SpeedButton1Click(); }); });
    connect(btnImport, &QPushButton::clicked, this, [this] { Guarded([this] { btnImportClick(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { Guarded([this] { btnSaveClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

void TImportListWindow::closeEvent(QCloseEvent* event)
{
    WriteLogLine(QStringLiteral("关闭导入数据"));
    event->accept();
}

void TImportListWindow::CreateList()
{
    m_model->SetRecordset(nullptr);
    m_rows = TRecordset();
    m_model->SetRecordset(&m_rows);
}

void TImportListWindow::SpeedButton1Click()
{
    const QString file = Dialogs().OpenFileName(SpeedButton1->text(), ExchangeFolder(), QStringLiteral("xml文件 (*.xml)"));
    if (file.isEmpty())
        return;
    RememberExchangeFolder(file);
    edtPath->setText(file);
}

void TImportListWindow::btnImportClick()
{
    const QString path = edtPath->text();
    if (TrimBlanks(path).isEmpty()) {
        ShowWarning(QStringLiteral("请选择要导入的文件！"));
        return;
    }
    if (!path.contains(QString::fromUtf8(m_kind.name))) {
        ShowWarning(m_wrongFile);
        return;
    }
    LoadFile();
}

void TImportListWindow::LoadList()
{
    const QString path = edtPath->text();
    TRecordset loaded;
    try {
        loaded = LoadListFile(*DataBase, m_kind, path);
    } catch (const ETallyraError& e) {
        WriteLogLine(QStringLiteral("导入") + path + QStringLiteral("失败,原因为:") + e.Text());
        ShowError(QStringLiteral("导入数据失败，请检查选择的文件是否正确！！\n") + e.Text());
        return;
    }
    m_model->SetRecordset(nullptr);
    m_rows = std::move(loaded);
    m_model->SetRecordset(&m_rows);
    m_loadedFile = path;
    btnSave->setEnabled(true);
    btnImport->setEnabled(false);
    ShowInfo(QStringLiteral("导入数据成功！"));
}

void TImportListWindow::ListStored()
{
    CreateList();
    btnSave->setEnabled(false);
    btnImport->setEnabled(true);
    // Only now that the rows are committed: a file kept after a failure can be stored again.
    if (!QFile::remove(m_loadedFile))
        WriteLogLine(QStringLiteral("删除") + m_loadedFile + QStringLiteral("失败"));
    m_loadedFile.clear();
    edtPath->clear();
}

void TImportListWindow::btnSaveClick() { SaveList(); }

void TImportListWindow::btnCloseClick() { close(); }
