#include "ReportWindow.h"

#include "ReportMaking.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "printing/PrintInvoice.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"
#include "workbook/PrintSheet.h"
#include "workbook/TSheetView.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TReportWindow::TReportWindow(const TKind& kind, QWidget* parent) : QWidget(parent), m_closeLine(kind.closeLine)
{
    setObjectName(kind.name);
    setWindowTitle(kind.caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SongFont(13));
    resize(kind.size);

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(89);
    StaticText2 = Named(new QLabel(QStringLiteral("报表生成路径:"), Panel1), "StaticText2");
    edtPath = Named(new QLineEdit(Panel1), "edtPath");
    StaticText1 = Named(new QLabel(QStringLiteral("生成的报表名称："), Panel1), "StaticText1");
    edtRepName = Named(new QLineEdit(Panel1), "edtRepName");
    for (QWidget* w : {static_cast<QWidget*>(StaticText2), static_cast<QWidget*>(edtPath), static_cast<QWidget*>(StaticText1),
                       static_cast<QWidget*>(edtRepName)})
        w->setFont(SongFont(19));
    edtPath->setReadOnly(true);
    edtRepName->setReadOnly(true);
    btnMakeRep = Named(new QPushButton(QStringLiteral("生成报表"), Panel1), "btnMakeRep");
    btnPrt = Named(new QPushButton(QStringLiteral("打印"), Panel1), "btnPrt");
    BitBtn2 = Named(new QPushButton(QStringLiteral("关闭"), Panel1), "BitBtn2");
    OleContainer1 = Named(new TSheetView(this), "OleContainer1");

    auto* grid = new QGridLayout(Panel1);
    grid->addWidget(StaticText2, 0, 0);
    grid->addWidget(edtPath, 0, 1);
    grid->addWidget(StaticText1, 1, 0);
    grid->addWidget(edtRepName, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnMakeRep, btnPrt, BitBtn2})
        buttons->addWidget(b);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(Panel1);
    main->addWidget(OleContainer1, 1);

    connect(btnMakeRep, &QPushButton::clicked, this, [this] { Guarded([this] { btnMakeRepClick(); }); });
    connect(btnPrt, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrtClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TReportWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Guarded([this] { FormShow(); });
}

void TReportWindow::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TReportWindow::PrepareReport(const std::function<QString(const QString& month)>& fileName)
{
    edtPath->setText(AppPath + QStringLiteral("报表/"));
    ReportMonth = PreviousMonthKey(Now());
    edtRepName->setText(fileName(ReportMonth));
    ReportFile = TrimBlanks(edtPath->text()) + TrimBlanks(edtRepName->text());
    if (QFileInfo::exists(ReportFile))
        OleContainer1->LoadFile(ReportFile);
}

bool TReportWindow::FillReport(const std::function<void()>& make)
{
    bool made = false;
    try {
        make();
        made = true;
    } catch (const ETallyraError& e) {
        ReportMakeFailure(QStringLiteral("生成报表失败："), e.Text(), ReportFile);
    }
    if (made) {
        ShowInfo(QStringLiteral("成功生成") + edtRepName->text());
        WriteLogLine(QStringLiteral("成功生成") + ReportFile);
    }
    // What is on disk now: the new report, or the earlier one that a failure left alone.
    if (QFileInfo::exists(ReportFile))
        OleContainer1->LoadFile(ReportFile);
    return made;
}

void TReportWindow::btnPrtClick()
{
    if (!QFileInfo::exists(ReportFile)) {
        ShowWarning(QStringLiteral("报表文件不存在!"));
        return;
    }
    try {
        PrintSheet(ReportFile, this);
    } catch (const EWorkbookError& e) {
        ShowWarning(QStringLiteral("报表文件无法读取：") + e.Text());
    } catch (const EPrintError& e) {
        ShowWarning(QStringLiteral("打印失败：") + e.Text());
    }
}

void TReportWindow::BitBtn2Click() { close(); }

void TReportWindow::FormClose() { WriteLogLine(m_closeLine); }
