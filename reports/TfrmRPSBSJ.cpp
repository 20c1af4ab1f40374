#include "TfrmRPSBSJ.h"

#include "SaleList.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/Settings.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString WithSlash(const QString& folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }
}  // namespace

QString DiskDataFolder()
{
    const QString stored = ReadIniString(QStringLiteral("disk"), QStringLiteral("path"), QString());
    return WithSlash(stored.isEmpty() ? QDir::homePath() : stored);
}

TfrmRPSBSJ::TfrmRPSBSJ(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmRPSBSJ"));
    setWindowTitle(QStringLiteral("生成软盘申报数据"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetMinimiseOnlyTitleBar(this);
    setFixedSize(379, 244);
    setFont(SongFont(13));

    GroupBox1 = Named(new QGroupBox(QStringLiteral("路径选择"), this), "GroupBox1");
    Label1 = Named(new QLabel(QStringLiteral("申报路径："), GroupBox1), "Label1");
    edtPath = Named(new QLineEdit(DiskDataFolder(), GroupBox1), "edtPath");
    edtPath->setReadOnly(true);
    sbtnSelDir = Named(new QToolButton(GroupBox1), "sbtnSelDir");
    sbtnSelDir->setText(QStringLiteral("选择路径"));
    sbtnSelDir->setToolTip(QStringLiteral("选择申报路径"));
    sbtnSelDir->setFocusPolicy(Qt::NoFocus);
    Label2 = Named(new QLabel(QStringLiteral("文件名称："), GroupBox1), "Label2");
    edtName = Named(new QLabel(GroupBox1), "edtName");
    // The whole name, wrapped: a company's name and the month make it longer than a line.
    edtName->setWordWrap(true);
    edtName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    edtName->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    edtName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Panel2 = Named(new QLabel(QStringLiteral("正在生成申报数据……"), GroupBox1), "Panel2");
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setStyleSheet(QStringLiteral("color: red;"));
    Panel2->hide();

    auto* grid = new QGridLayout(GroupBox1);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(edtPath, 0, 1);
    grid->addWidget(sbtnSelDir, 0, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(edtName, 1, 1, 1, 2);
    grid->addWidget(Panel2, 2, 0, 1, 3);

    Panel1 = Named(new QWidget(this), "Panel1");
    btnOK = Named(new QPushButton(QStringLiteral("确定"), Panel1), "btnOK");
    btnCancel = Named(new QPushButton(QStringLiteral("取消"), Panel1), "btnCancel");
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->addStretch();
    for (QPushButton* b : {btnOK, btnCancel})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* main = new QVBoxLayout(this);
    main->addWidget(GroupBox1, 1);
    main->addWidget(Panel1);
    setTabOrder(btnOK, btnCancel);

    connect(sbtnSelDir, &QToolButton::clicked, this, [this] { Guarded([this] { sbtnSelDirClick(); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { Guarded([this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmRPSBSJ::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmRPSBSJ::closeEvent(QCloseEvent* event)
{
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TfrmRPSBSJ::FormShow()
{
    PrepareReportFile();
    btnOK->setFocus();
}

void TfrmRPSBSJ::PrepareReportFile()
{
    Panel2->hide();
    ReportMonth = PreviousMonthKey(Now());
    edtName->setText(SaleListFileName(CorpInfo.corpName, ReportMonth));
    edtName->setToolTip(edtName->text());
    ReportFile = TrimBlanks(edtPath->text()) + TrimBlanks(edtName->text());
}

void TfrmRPSBSJ::sbtnSelDirClick() { SelectDiskPath(); }

void TfrmRPSBSJ::SelectDiskPath()
{
    const QString picked = Dialogs().SelectDirectory(QStringLiteral("请选择软盘申报数据路径："), TrimBlanks(edtPath->text()));
    if (picked.isEmpty())
        return;
    edtPath->setText(WithSlash(picked));
    ReportFile = TrimBlanks(edtPath->text()) + TrimBlanks(edtName->text());
}

void TfrmRPSBSJ::btnOKClick() { MakeDiskData(); }

void TfrmRPSBSJ::MakeDiskData()
{
    if (!ReadyToMakeReport(SaleListTemplate(), ReportFile))
        return;
    Panel2->show();
    repaint();  // the clerk sees it before the work starts
    try {
        MakeSaleList(TrimBlanks(edtPath->text()), TrimBlanks(edtName->text()), ReportMonth, false);
    } catch (const ETallyraError& e) {
        Panel2->hide();
        ReportMakeFailure(QStringLiteral("生成申报数据失败："), e.Text(), ReportFile);
        return;
    }
    Panel2->hide();
    // The next run starts in this folder.
    WriteIniValues(QStringLiteral("disk"), {{QStringLiteral("path"), TrimBlanks(edtPath->text())}});
    ShowInfo(QStringLiteral("成功生成") + edtName->text());
    WriteLogLine(QStringLiteral("成功生成") + ReportFile);
    CloseAllowed = true;
    // Closed once the handler has returned.
    QTimer::singleShot(0, this, [this] { close(); });
}

void TfrmRPSBSJ::btnCancelClick()
{
    CloseAllowed = true;
    close();
}

bool TfrmRPSBSJ::FormClose() { return CloseAllowed; }
