#include "TExportListWindow.h"

#include "ExchangeLists.h"
#include "ReportMaking.h"
#include "ExchangeWindowParts.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TLog.h"
#include "exchange/RecordsetXmlWriter.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

TExportListWindow::TExportListWindow(const TListKind& kind, const TGridColumns& columns, QWidget* parent)
    : QWidget(parent), m_kind(kind)
{
    PrepareListWindow(this);

    Panel1 = Named(new QWidget(this), "Panel1");
    StaticText1 = Named(new QLabel(QStringLiteral("导出数据的月份"), Panel1), "StaticText1");
    dtpDate = Named(new QDateEdit(Panel1), "dtpDate");
    dtpDate->setDisplayFormat(QStringLiteral("yyyy-MM"));
    // The month is fixed, yet shown as readable text (a disabled picker would grey it out).
    dtpDate->setReadOnly(true);
    dtpDate->setButtonSymbols(QAbstractSpinBox::NoButtons);
    dtpDate->setFrame(false);
    dtpDate->setFocusPolicy(Qt::NoFocus);
    QPalette plain = dtpDate->palette();
    plain.setColor(QPalette::Base, plain.color(QPalette::Window));
    dtpDate->setPalette(plain);
    SpeedButton1 = Named(new QPushButton(QStringLiteral("请选择要导出的路径"), Panel1), "SpeedButton1");
    edtPath = Named(new QLineEdit(Panel1), "edtPath");
    edtPath->setReadOnly(true);
    btnQry = Named(new QPushButton(QStringLiteral("查询"), Panel1), "btnQry");
    btnExport = Named(new QPushButton(QStringLiteral("导出"), Panel1), "btnExport");
    btnExport->setEnabled(false);
    btnClose = Named(new QPushButton(QStringLiteral("关闭"), Panel1), "btnClose");
    LayOutBar(Panel1, {StaticText1, dtpDate, SpeedButton1, edtPath, btnQry, btnExport, btnClose}, edtPath);

    Panel2 = Named(new QWidget(this), "Panel2");
    m_model = new TRecordsetModel(columns.names, columns.titles, this);
    dbgSale = NewListGrid(Panel2, m_model);
    Panel3 = Named(new QLabel(Panel2), "Panel3");
    Panel3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel3->setFont(SongFont(18));
    Panel3->setStyleSheet(QStringLiteral("color: blue;"));
    auto* grid = new QVBoxLayout(Panel2);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(dbgSale, 1);
    grid->addWidget(Panel3);

    StackBarAndPanel(this, Panel1, Panel2);
    setTabOrder(SpeedButton1, btnQry);
    setTabOrder(btnQry, btnExport);
    setTabOrder(btnExport, btnClose);
    setTabOrder(btnClose, dbgSale);

    connect(SpeedButton1, &QPushButton::clicked, this, [this] { Guarded([this] { SpeedButton1Click(); }); });
    connect(btnQry, &QPushButton::clicked, this, [this] { Guarded([this] { btnQryClick(); }); });
    connect(btnExport, &QPushButton::clicked, this, [this] { Guarded([this] { btnExportClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

void TExportListWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Once: a window restored in the workspace keeps its rows.
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TExportListWindow::closeEvent(QCloseEvent* event)
{
    WriteLogLine(ClosingLine());
    event->accept();
}

void TExportListWindow::CreateList()
{
    ClearList();
    ReportMonth = PreviousMonthKey(Now());
}

void TExportListWindow::ShowMonth()
{
    dtpDate->setDate(QDate::fromString(ReportMonth + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd")));
}

void TExportListWindow::ClearList()
{
    m_model->SetRecordset(nullptr);
    m_rows = TRecordset();
    m_model->SetRecordset(&m_rows);
}

bool TExportListWindow::PointNameFits()
{
    const QString fault = FileNameFault(CorpInfo.kpdName);
    if (fault.isEmpty())
        return true;
    const QString message = QStringLiteral("开票点名称含有不能用于文件名的字符：") + fault;
    WriteLogLine(message);
    ShowWarning(message);
    return false;
}

void TExportListWindow::QueryList(bool logStatement)
{
    if (!PointNameFits())
        return;
    const QString point = CorpInfo.kpdName;
    const QString month = dtpDate->date().toString(QStringLiteral("yyyy-MM"));
    TRecordset rows = ::QueryList(*DataBase, m_kind, point, month);  // a failing query leaves the grid as it was
    m_model->SetRecordset(nullptr);
    m_rows = std::move(rows);
    m_model->SetRecordset(&m_rows);
    if (!m_rows.rows.empty()) {
        if (logStatement)
            WriteLogLine(ListStatementLogText(m_kind, point, month));
        btnQry->setEnabled(false);
        btnExport->setEnabled(true);
    }
    Panel3->setText(QStringLiteral("  共查询到%1条记录!").arg(m_rows.rows.size()));
}

void TExportListWindow::SpeedButton1Click()
{
    if (!PointNameFits())
        return;
    const QString name =
        dtpDate->date().toString(QStringLiteral("yyyy年MM月")) + CorpInfo.kpdName + QString::fromUtf8(m_kind.fileEnd);
    const QString chosen =
        Dialogs().SaveFileName(SpeedButton1->text(), ExchangeFolder() + u'/' + name, QStringLiteral("xml文件 (*.xml)"));
    if (chosen.isEmpty())
        return;
    RememberExchangeFolder(chosen);
    // Only the folder counts: the file always gets the list's own name.
    QString folder = QFileInfo(chosen).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    edtPath->setText(folder + name);
}

void TExportListWindow::btnExportClick()
{
    if (edtPath->text().isEmpty()) {
        ShowWarning(QStringLiteral("请选择要导出的路径!"));
        return;
    }
    ExportToFile();
}

void TExportListWindow::ExportList()
{
    const QString path = edtPath->text();
    try {
        SaveRecordsetXmlFile(path, m_rows);
    } catch (const ETallyraError& e) {
        WriteLogLine(QStringLiteral("导出") + path + QStringLiteral("失败,原因为:") + e.Text());
        ShowWarning(QStringLiteral("导出数据失败！！"));
        return;
    }
    WriteLogLine(QStringLiteral("导出") + path + QStringLiteral("成功"));
    ShowInfo(QStringLiteral("导出数据成功！！"));
    btnQry->setEnabled(true);
    btnExport->setEnabled(false);
    edtPath->clear();
    ClearList();
    Panel3->clear();
}

void TExportListWindow::btnCloseClick() { close(); }
