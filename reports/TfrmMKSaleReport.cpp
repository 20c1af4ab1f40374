#include "TfrmMKSaleReport.h"

#include "PrintSheet.h"
#include "SaleList.h"
#include "TSheetView.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TextCodec.h"
#include "printing/PrintInvoice.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMKSaleReport::TfrmMKSaleReport(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMKSaleReport"));
    setWindowTitle(QStringLiteral("生成《机动车销售统一发票清单》"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SongFont(13));
    resize(831, 565);

    auto named = [](auto* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    Panel1 = named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(89);
    StaticText2 = named(new QLabel(QStringLiteral("报表生成路径:"), Panel1), "StaticText2");
    edtPath = named(new QLineEdit(Panel1), "edtPath");
    StaticText1 = named(new QLabel(QStringLiteral("生成的报表名称："), Panel1), "StaticText1");
    edtRepName = named(new QLineEdit(Panel1), "edtRepName");
    for (QWidget* w : {static_cast<QWidget*>(StaticText2), static_cast<QWidget*>(edtPath),
                       static_cast<QWidget*>(StaticText1), static_cast<QWidget*>(edtRepName)})
        w->setFont(SongFont(19));
    edtPath->setReadOnly(true);
    edtRepName->setReadOnly(true);
    btnMakeRep = named(new QPushButton(QStringLiteral("生成报表"), Panel1), "btnMakeRep");
    btnPrt = named(new QPushButton(QStringLiteral("打印"), Panel1), "btnPrt");
    BitBtn2 = named(new QPushButton(QStringLiteral("关闭"), Panel1), "BitBtn2");
    OleContainer1 = named(new TSheetView(this), "OleContainer1");

    auto* grid = new QGridLayout(Panel1);
    grid->addWidget(StaticText2, 0, 0);
    grid->addWidget(edtPath, 0, 1);
    grid->addWidget(StaticText1, 1, 0);
    grid->addWidget(edtRepName, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnMakeRep, btnPrt, BitBtn2}) {
        b->setAutoDefault(true);  // Enter on a focused button presses it
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(Panel1);
    main->addWidget(OleContainer1, 1);
    setTabOrder(btnMakeRep, btnPrt);
    setTabOrder(btnPrt, BitBtn2);
    setTabOrder(BitBtn2, edtPath);
    setTabOrder(edtPath, edtRepName);

    connect(btnMakeRep, &QPushButton::clicked, this, [this] { Guarded([this] { btnMakeRepClick(); }); });
    connect(btnPrt, &QPushButton::clicked, this, [this] { Guarded([this] { btnPrtClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TfrmMKSaleReport::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Month and file are fixed when the window is first shown and stay while it is open.
    if (!m_shown) {
        m_shown = true;
        Guarded([this] { FormShow(); });
    }
}

void TfrmMKSaleReport::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMKSaleReport::FormShow()
{
    PrepareReportFile();
    btnMakeRep->setFocus();
}

void TfrmMKSaleReport::PrepareReportFile()
{
    edtPath->setText(AppPath + QStringLiteral("报表/"));
    ReportMonth = PreviousMonthKey(Now());
    edtRepName->setText(SaleListFileName(CorpInfo.corpName, ReportMonth));
    ReportFile = TrimBlanks(edtPath->text()) + TrimBlanks(edtRepName->text());
    if (QFileInfo::exists(ReportFile))
        OleContainer1->LoadFile(ReportFile);
}

void TfrmMKSaleReport::btnMakeRepClick()
{
    if (ReadyToMakeReport(SaleListTemplate(), ReportFile) && FillSaleListSheet())
        WriteReportLog(QStringLiteral("生成") + ReportFile);
}

bool TfrmMKSaleReport::FillSaleListSheet()
{
    bool made = false;
    try {
        MakeSaleList(TrimBlanks(edtPath->text()), TrimBlanks(edtRepName->text()), ReportMonth, true);
        made = true;
    } catch (const ETallyraError& e) {
        ReportMakeFailure(QStringLiteral("生成报表失败："), e.Text(), ReportFile);
    }
    if (made) {
        ShowInfo(QStringLiteral("成功生成") + edtRepName->text());
        WriteReportLog(QStringLiteral("成功生成") + ReportFile);
    }
    // What is on disk now: the new list, or the earlier one that a failure left alone.
    if (QFileInfo::exists(ReportFile))
        OleContainer1->LoadFile(ReportFile);
    return made;
}

void TfrmMKSaleReport::btnPrtClick()
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

void TfrmMKSaleReport::BitBtn2Click() { close(); }

void TfrmMKSaleReport::FormClose() { WriteReportLog(QStringLiteral("关闭生成《机动车销售统一发票清单》")); }
