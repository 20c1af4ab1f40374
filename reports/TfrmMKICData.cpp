#include "TfrmMKICData.h"

#include "ReportMaking.h"
#include "ExchangeWindowParts.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/PubFun.h"
#include "core/TLog.h"
#include "core/TextCodec.h"
#include "core/WholeFile.h"
#include "exchange/DeclarationXml.h"
#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>

TfrmMKICData::TfrmMKICData(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMKICData"));
    setWindowTitle(QStringLiteral("生成IC卡申报数据"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SongFont(14));
    setMinimumSize(640, 400);
    resize(800, 600);
    setWindowState(Qt::WindowMaximized);  // its own layout is maximised (after the size: resizing would undo it)

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    stSSQ = new QLabel(Panel1);
    stSSQ->setObjectName(QStringLiteral("stSSQ"));
    btnPath = new QPushButton(QStringLiteral("请选择导出路径："), Panel1);
    btnPath->setObjectName(QStringLiteral("btnPath"));
    edtFName = new QLineEdit(Panel1);
    edtFName->setObjectName(QStringLiteral("edtFName"));
    edtFName->setReadOnly(true);
    btnExport = new QPushButton(QStringLiteral("导出"), Panel1);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnClose = new QPushButton(QStringLiteral("关闭"), Panel1);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    LayOutBar(Panel1, {stSSQ, btnPath, edtFName, btnExport, btnClose}, edtFName);

    // A list of lines of one height: only the lines in view are made, whatever the file's size.
    m_lines = new TDeclarationLines(this);
    WebBrowser1 = new QListView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setUniformItemSizes(true);
    WebBrowser1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    WebBrowser1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    WebBrowser1->setModel(m_lines);

    StackBarAndPanel(this, Panel1, WebBrowser1);
    setTabOrder(btnPath, edtFName);
    setTabOrder(edtFName, btnExport);
    setTabOrder(btnExport, btnClose);

    connect(btnPath, &QPushButton::clicked, this, [this] { Guarded([this] { btnPathClick(); }); });
    connect(btnExport, &QPushButton::clicked, this, [this] { Guarded([this] { btnExportClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
}

void TfrmMKICData::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Once per opening: restored from minimised, the window keeps the folder chosen.
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmMKICData::FormShow() { PrepareFileName(); }

void TfrmMKICData::PrepareFileName()
{
    const QDateTime now = Now();
    ReportFileName = DeclarationFileName(CorpInfo.corpTaxID, now.date());
    ReportMonth = PreviousMonthKey(now);
    stSSQ->setText(QStringLiteral("申报所属期：") + MonthTitle(ReportMonth));
    edtFName->setText(AppPath + ReportFileName);
}

void TfrmMKICData::btnPathClick()
{
    QString folder = Dialogs().SelectDirectory(QStringLiteral("请选择导出路径："), QString());
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    edtFName->setText(folder + ReportFileName);
}

void TfrmMKICData::btnExportClick()
{
    const QString path = edtFName->text();
    if (QFileInfo::exists(path)) {
        if (!AskYesNo(path + QStringLiteral("已经存在，是否重新生成？？"), TMsgKind::Confirmation, mbNo))
            return;
        // The old file stays until the new one replaces it whole.
        WriteLogLine(QStringLiteral("重新生成报表:") + path);
    }
    const bool written = WriteDeclarationXml();
    ShowFile(path);
    WriteLogLine(QStringLiteral("生成") + path + (written ? QString() : QStringLiteral("失败")));
}

bool TfrmMKICData::WriteDeclarationXml()
{
    try {
        const std::vector<TDeclarationRow> rows = QueryDeclarationRows(*DataBase, ReportMonth);
        const QByteArray bytes = DeclarationXml(CorpInfo.corpName, CorpInfo.corpTaxID, ReportMonth, rows);
        SaveWholeFile(TrimBlanks(edtFName->text()), [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    } catch (const ETallyraError& e) {
        ShowInfo(QStringLiteral("导出数据失败！\n") + e.Text());
        return false;
    }
    ShowInfo(QStringLiteral("导出数据成功！"));
    return true;
}

void TfrmMKICData::ShowFile(const QString& path)
{
    QFile file(path);
    m_lines->SetFile(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), WebBrowser1->fontMetrics());
}

void TfrmMKICData::btnCloseClick() { close(); }
