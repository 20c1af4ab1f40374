#include "TfrmMain.h"

#include "TApplication.h"
#include "TfrmAbout.h"
#include "TfrmBaseInfo.h"
#include "TfrmCJCL.h"
#include "TfrmUpdate.h"
#include "TfrmUpdatePass.h"
#include "widgets/InputHelpers.h"
#include "widgets/Pictures.h"
#include "widgets/QtDialogs.h"
#include "widgets/TfrmInput.h"
#include "widgets/WindowHelpers.h"
#include "invoices/TfrmCHInv.h"
#include "invoices/TfrmLYFP.h"
#include "invoices/TfrmMKNormalInv.h"
#include "invoices/TfrmPLMKInv.h"
#include "invoices/TfrmQryInvRec.h"
#include "invoices/TfrmQrySale.h"
#include "invoices/TfrmWKJFPGL.h"
#include "invoices/TfrmYKJFPGL.h"
#include "printing/TfrmAdjustPrint.h"
#include "reports/TfrmExportInvData.h"
#include "reports/TfrmExportSaleData.h"
#include "reports/TfrmImportInvData.h"
#include "reports/TfrmImportSaleData.h"
#include "reports/TfrmMKICData.h"
#include "reports/TfrmMKInvReport.h"
#include "reports/TfrmMKSaleReport.h"
#include "reports/TfrmRPSBSJ.h"
#include "core/Clock.h"
#include "core/Common.h"
#include "core/Dialogs.h"
#include "core/Errors.h"
#include "core/Globals.h"
#include "core/TLog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <utility>

TfrmMain* frmMain = nullptr;

namespace {
// Which invoicing points are offered an action: every point, or, once the company is known,
// both kinds (the issuing work), the head point alone, or a branch alone.
enum class TOffer { Always, Work, Head, Branch };

// What an action does: opens its window as a work window, modally after closing the work
// windows, or as a box over them (no window closed, no line written); or a deed of its own.
using TPerform = void (*)(TfrmMain& main, QAction* action);

template <class T>
void Child(TfrmMain& main, QAction* action)
{
    main.OpenChild<T>(action);
}

template <class T>
void Modal(TfrmMain& main, QAction* action)
{
    main.OpenModal<T>(action);
}

template <class T>
void Box(TfrmMain& main, QAction*)
{
    main.OpenModal<T>(nullptr);
}

void Quit(TfrmMain& main, QAction*) { main.close(); }

void ShowHelp(TfrmMain&, QAction*)
{
    // A missing help file shows nothing.
    const QString help = AppPath + QStringLiteral("Corvane.html");
    if (QFileInfo::exists(help))
        QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}

// One row an action: the menus, the tool bar's icon, the offer and the opening all read it.
struct TActionRow {
    QAction* TfrmMain::*member;
    void (TfrmMain::*execute)();  // its handler
    TOpening opening;             // its name, and how it closes the work windows and logs
    const char* caption;
    const char* menu;   // the top-level menu it stands in, which is also its category
    bool hint;          // its caption is its hint
    const char* glyph;  // the icon: a character of its own on a tile of its colour
    QRgb colour;
    TOffer offer;
    bool issuing;  // the issuing checks come first
    TPerform perform;
};

using O = TOpenOrder;
const TActionRow kActionRows[] = {
    {&TfrmMain::KJZCFP,
     &TfrmMain::KJZCFPExecute,
     {"KJZCFP", O::CloseThenLog, true, "打开单车销售发票开具"},
     "单车销售发票开具",
     "发票开具",
     true,
     "单",
     0x2e7d32,
     TOffer::Work,
     true,
     Child<TfrmMKNormalInv>},
    {&TfrmMain::PLKJFP,
     &TfrmMain::PLKJFPExecute,
     {"PLKJFP", O::LogThenClose, true, "打开批量销售发票开具"},
     "批量销售发票开具",
     "发票开具",
     true,
     "批",
     0x2e7d32,
     TOffer::Work,
     true,
     Child<TfrmPLMKInv>},
    {&TfrmMain::FSFPKJ,
     &TfrmMain::FSFPKJExecute,
     {"FSFPKJ", O::LogThenClose, true, "打开负数销售发票开具"},
     "负数发票开具",
     "发票开具",
     true,
     "负",
     0xc62828,
     TOffer::Work,
     true,
     Child<TfrmCHInv>},
    {&TfrmMain::FPRKGL,
     &TfrmMain::FPRKGLExecute,
     {"FPRKGL", O::CloseThenLog, true, "打开发票入库管理"},
     "发票入库管理",
     "发票管理",
     true,
     "入",
     0x1565c0,
     TOffer::Work,
     false,
     Child<TfrmLYFP>},
    {&TfrmMain::YKFPGL,
     &TfrmMain::YKFPGLExecute,
     {"YKFPGL", O::CloseThenLog, true, "打开已开发票管理"},
     "已开发票管理",
     "发票管理",
     true,
     "已",
     0x1565c0,
     TOffer::Work,
     false,
     Child<TfrmYKJFPGL>},
    {&TfrmMain::WKFPGL,
     &TfrmMain::WKFPGLExecute,
     {"WKFPGL", O::CloseThenLog, false, "打开未开发票管理"},
     "未开发票管理",
     "发票管理",
     true,
     "未",
     0x1565c0,
     TOffer::Work,
     false,
     Modal<TfrmWKJFPGL>},
    {&TfrmMain::qrySaleAct,
     &TfrmMain::qrySaleActExecute,
     {"qrySaleAct", O::LogThenClose, true, "打开开票记录查询"},
     "开票记录查询",
     "查询",
     true,
     "查",
     0x6a1b9a,
     TOffer::Work,
     false,
     Child<TfrmQrySale>},
    {&TfrmMain::qryInvRecAct,
     &TfrmMain::qryInvRecActExecute,
     {"qryInvRecAct", O::LogThenClose, true, "打开查询库存记录"},
     "查询库存记录",
     "查询",
     true,
     "库",
     0x6a1b9a,
     TOffer::Work,
     false,
     Child<TfrmQryInvRec>},
    {&TfrmMain::importSaleAct,
     &TfrmMain::importSaleActExecute,
     {"importSaleAct", O::LogThenClose, true, "打开销售导入数据界面"},
     "导入机动车销售统一发票清单",
     "合并报表",
     true,
     "汇",
     0xef6c00,
     TOffer::Head,
     false,
     Child<TfrmImportSaleData>},
    {&TfrmMain::exportSaleAct,
     &TfrmMain::exportSaleActExecute,
     {"exportSaleAct", O::LogThenClose, true, "打开销售导出数据界面"},
     "导出机动车销售统一发票清单",
     "合并报表",
     true,
     "销",
     0xef6c00,
     TOffer::Branch,
     false,
     Child<TfrmExportSaleData>},
    {&TfrmMain::importInvAct,
     &TfrmMain::importInvActExecute,
     {"importInvAct", O::CloseThenLog, true, "打开库存导入数据界面"},
     "导入机动车销售统一发票领用存月报表",
     "合并报表",
     true,
     "合",
     0xad5a00,
     TOffer::Head,
     false,
     Child<TfrmImportInvData>},
    {&TfrmMain::exportInvAct,
     &TfrmMain::exportInvActExecute,
     {"exportInvAct", O::LogThenClose, true, "打开库存导出数据界面"},
     "导出机动车销售统一发票领用存月报表",
     "合并报表",
     true,
     "存",
     0xad5a00,
     TOffer::Branch,
     false,
     Child<TfrmExportInvData>},
    {&TfrmMain::SCFPQD,
     &TfrmMain::SCFPQDExecute,
     {"SCFPQD", O::LogThenClose, true, "打开生成《机动车销售统一发票清单》"},
     "生成《机动车销售统一发票清单》",
     "生成上报数据",
     true,
     "清",
     0x00838f,
     TOffer::Head,
     false,
     Child<TfrmMKSaleReport>},
    {&TfrmMain::SCLYCBB,
     &TfrmMain::SCLYCBBExecute,
     {"SCLYCBB", O::LogThenClose, true, "打开生成《机动车销售统一发票领用存月报表》"},
     "生成《机动车销售统一发票领用存月报表》",
     "生成上报数据",
     true,
     "月",
     0x00838f,
     TOffer::Head,
     false,
     Child<TfrmMKInvReport>},
    {&TfrmMain::ImportICData,
     &TfrmMain::ImportICDataExecute,
     {"ImportICData", O::CloseThenLog, false, "打开导出电子申报数据"},
     "导出电子申报数据",
     "生成上报数据",
     false,
     "申",
     0x00838f,
     TOffer::Head,
     false,
     Child<TfrmMKICData>},
    {&TfrmMain::SCRPSJ,
     &TfrmMain::SCRPSJExecute,
     {"SCRPSJ", O::CloseThenLog, false, "生成软盘申报数据"},
     "生成软盘申报数据",
     "生成上报数据",
     false,
     "盘",
     0x00838f,
     TOffer::Head,
     false,
     Child<TfrmRPSBSJ>},
    {&TfrmMain::infoAct,
     &TfrmMain::infoActExecute,
     {"infoAct", O::CloseThenLog, false, "打开企业基本信息"},
     "企业基本信息",
     "企业基本信息设置",
     true,
     "企",
     0x455a64,
     TOffer::Always,
     false,
     Child<TfrmBaseInfo>},
    {&TfrmMain::SCCJAct,
     &TfrmMain::SCCJActExecute,
     {"SCCJAct", O::CloseThenLog, false, "打开生产厂家维护"},
     "生产厂家维护",
     "企业基本信息设置",
     true,
     "厂",
     0x455a64,
     TOffer::Always,
     false,
     Child<TfrmCJCL>},
    {&TfrmMain::passAct,
     &TfrmMain::passActExecute,
     {"passAct", O::CloseThenLog, false, "打开修改用户口令"},
     "修改口令",
     "文件",
     false,
     "密",
     0x5d4037,
     TOffer::Always,
     false,
     Child<TfrmUpdatePass>},
    {&TfrmMain::Action2,
     &TfrmMain::Action2Execute,
     {"Action2", O::CloseThenLog, false, "打开打印微调"},
     "打印设置",
     "文件",
     false,
     "印",
     0x5d4037,
     TOffer::Always,
     false,
     Child<TfrmAdjustPrint>},
    {&TfrmMain::Exit,
     &TfrmMain::ExitExecute,
     {"Exit", O::CloseOnly, false, ""},
     "退出",
     "文件",
     true,
     "退",
     0xb71c1c,
     TOffer::Always,
     false,
     Quit},
    {&TfrmMain::aboutAct,
     &TfrmMain::aboutActExecute,
     {"aboutAct", O::CloseOnly, false, ""},
     "关于...",
     "关于",
     true,
     "关",
     0x37474f,
     TOffer::Always,
     false,
     Box<TfrmAbout>},
    {&TfrmMain::HelpAct,
     &TfrmMain::HelpActExecute,
     {"HelpAct", O::CloseOnly, false, ""},
     "帮助？",
     "关于",
     true,
     "帮",
     0x37474f,
     TOffer::Always,
     false,
     ShowHelp},
    {&TfrmMain::Action1,
     &TfrmMain::Action1Execute,
     {"Action1", O::CloseOnly, false, ""},
     "在线升级",
     "关于",
     false,
     "升",
     0x37474f,
     TOffer::Always,
     false,
     Child<TfrmUpdate>},
};

// The menu bar, left to right; each menu holds its actions in the order of the rows.
const char* const kMenus[] = {"文件", "发票开具", "发票管理", "查询", "合并报表", "生成上报数据", "企业基本信息设置", "关于"};

QString S(const char* text) { return QString::fromUtf8(text); }

const char* const kHintProperty = "hint";
const char* const kCategoryProperty = "category";
}  // namespace

const TOpening& OpeningOf(const QString& action)
{
    static const TOpening none{"", TOpenOrder::CloseOnly, false, ""};
    for (const TActionRow& row : kActionRows)
        if (action == QLatin1String(row.opening.action))
            return row.opening;
    return none;
}

void PaintBands(QPainter& painter, const QSize& size)
{
    const double h = size.height() / 256.0;
    double y = 0;
    for (int k = 255; k >= 0; --k) {
        // Pure blue of intensity k − 16; the last sixteen bands would fall below zero: black.
        const QColor colour(0, 0, std::max(k - 16, 0));
        const int top = static_cast<int>(std::lround(y));
        const int bottom = static_cast<int>(std::lround(y + h));
        painter.fillRect(QRect(0, top, size.width(), bottom - top), colour);
        y += h;
    }
}

TChildFrame::TChildFrame(QWidget* child)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A window that chooses its title-bar buttons (system menu and minimise only, say) keeps
    // that choice on its frame.
    constexpr Qt::WindowFlags kTitleBar = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
    const Qt::WindowFlags chosen = child->windowFlags();
    setWidget(child);
    // Set on the frame itself: a frame made without one draws the toolkit's icon in its title bar.
    setWindowIcon(ProgramIcon());
    if (chosen & Qt::CustomizeWindowHint)
        setWindowFlags(Qt::SubWindow | (chosen & kTitleBar));
    // A window that closed itself (its own close button) takes its frame with it at once: a
    // frame left open until the window is freed would ask it to close a second time.
    child->installEventFilter(this);
    connect(child, &QObject::destroyed, this, [this] {
        if (!isHidden())
            close();
    });
}

bool TChildFrame::eventFilter(QObject* watched, QEvent* event)
{
    const bool handled = QMdiSubWindow::eventFilter(watched, event);
    if (watched == widget() && event->type() == QEvent::Hide && widget()->isHidden() && !isHidden() && !isMinimized() &&
        !isShaded()) {
        hide();
        deleteLater();
    }
    return handled;
}

TChildFrame::~TChildFrame()
{
    if (QWidget* child = widget())
        disconnect(child, nullptr, this, nullptr);
}

bool TChildFrame::IsOpen() const
{
    if (isHidden() || !widget())
        return false;
    // A minimised or shaded frame hides its window without closing it.
    return !widget()->isHidden() || isMinimized() || isShaded();
}

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent)
{
    frmMain = this;
    InstallEnterPressesButtons();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tallyra"));
    setWindowIcon(ProgramIcon());

    MDIClient = new QMdiArea(this);
    MDIClient->setObjectName(QStringLiteral("MDIClient"));
    MDIClient->viewport()->installEventFilter(this);
    setCentralWidget(MDIClient);
    Image1 = LoadPicture(QStringLiteral("main"));

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    Timer1->start();

    FormCreate();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());  // the size of a maximised window without a window manager
    setWindowState(Qt::WindowMaximized);
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::CreateActions()
{
    for (const TActionRow& row : kActionRows) {
        auto* action = Named(new QAction(ActionIcon(S(row.glyph), QColor(row.colour)), S(row.caption), this), row.opening.action);
        action->setProperty(kCategoryProperty, S(row.menu));
        action->setProperty(kHintProperty, row.hint ? S(row.caption) : QString());
        action->setToolTip(row.hint ? S(row.caption) : QString());
        this->*(row.member) = action;
        connect(action, &QAction::triggered, this, row.execute);
        if (row.hint)
            connect(action, &QAction::hovered, this, [this, action] { showHint(action); });
    }
}

// Every handler runs its action's row: the issuing checks where it asks for them, then the opening.
void TfrmMain::Execute(QAction* action)
{
    for (const TActionRow& row : kActionRows)
        if (this->*(row.member) == action) {
            DeliverGuarded([&] {
                if (!row.issuing || IssuingChecks())
                    row.perform(*this, action);
                return true;
            });
            return;
        }
}

void TfrmMain::KJZCFPExecute() { Execute(KJZCFP); }
void TfrmMain::PLKJFPExecute() { Execute(PLKJFP); }
void TfrmMain::FSFPKJExecute() { Execute(FSFPKJ); }
void TfrmMain::FPRKGLExecute() { Execute(FPRKGL); }
void TfrmMain::YKFPGLExecute() { Execute(YKFPGL); }
void TfrmMain::WKFPGLExecute() { Execute(WKFPGL); }
void TfrmMain::qrySaleActExecute() { Execute(qrySaleAct); }
void TfrmMain::qryInvRecActExecute() { Execute(qryInvRecAct); }
void TfrmMain::importSaleActExecute() { Execute(importSaleAct); }
void TfrmMain::exportSaleActExecute() { Execute(exportSaleAct); }
void TfrmMain::importInvActExecute() { Execute(importInvAct); }
void TfrmMain::exportInvActExecute() { Execute(exportInvAct); }
void TfrmMain::SCFPQDExecute() { Execute(SCFPQD); }
void TfrmMain::SCLYCBBExecute() { Execute(SCLYCBB); }
void TfrmMain::ImportICDataExecute() { Execute(ImportICData); }
void TfrmMain::SCRPSJExecute() { Execute(SCRPSJ); }
void TfrmMain::infoActExecute() { Execute(infoAct); }
void TfrmMain::SCCJActExecute() { Execute(SCCJAct); }
void TfrmMain::passActExecute() { Execute(passAct); }
void TfrmMain::Action2Execute() { Execute(Action2); }
void TfrmMain::ExitExecute() { Execute(Exit); }
void TfrmMain::aboutActExecute() { Execute(aboutAct); }
void TfrmMain::HelpActExecute() { Execute(HelpAct); }
void TfrmMain::Action1Execute() { Execute(Action1); }

void TfrmMain::CreateMenus()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setFont(SongFont(16));
    setMenuBar(MainMenu);
    for (const char* caption : kMenus) {
        QMenu* menu = MainMenu->addMenu(S(caption));
        menu->setFont(SongFont(16));
        for (const TActionRow& row : kActionRows)
            if (qstrcmp(row.menu, caption) == 0)
                menu->addAction(this->*(row.member));
        MenuItems.append(menu);
    }
}

void TfrmMain::CreateToolBar()
{
    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ActionToolBar1->setIconSize(QSize(32, 32));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setMouseTracking(true);
    ActionToolBar1->installEventFilter(this);
    ActionToolBar1->addActions({Exit, KJZCFP, PLKJFP, FSFPKJ, FPRKGL, YKFPGL, WKFPGL, qrySaleAct, qryInvRecAct, importSaleAct,
                                exportSaleAct, importInvAct, exportInvAct, SCFPQD, SCLYCBB, ImportICData, infoAct, SCCJAct});
    addToolBar(Qt::TopToolBarArea, ActionToolBar1);
}

void TfrmMain::CreateStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    const int widths[3] = {200, 300, 300};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(StatusPanels[i]);
    }
}

void TfrmMain::FormCreate()
{
    // The date separator is "-" everywhere already: every date text goes through one format.
    Timer1Timer();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!std::exchange(m_shown, true))
        DeliverGuarded([this] {
            FormShow();
            return true;
        });
}

void TfrmMain::FormShow()
{
    if (QFileInfo::exists(AppPath + QStringLiteral("update.sql")))
        ApplyUpdateSQL();
    UpdateMenus();
    Timer1->start();
    StatusPanels[2]->setText(CorpInfo.corpName + u'-' + CorpInfo.kpdName);
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        FormActivate();
    else
        FormDeactivate();
}

void TfrmMain::FormDeactivate()
{
    // A box of this program on top is no "elsewhere": coming back from it must not warn again.
    QWidget* modal = QApplication::activeModalWidget();
    m_leftForOwnBox = m_warningUp || qobject_cast<QMessageBox*>(modal) || qobject_cast<TfrmInput*>(modal);
}

void TfrmMain::FormActivate()
{
    if (m_warningUp)
        return;
    if (m_leftForOwnBox) {
        m_leftForOwnBox = false;
        return;
    }
    if (!CorpInfo.corpName.isEmpty() && !CorpInfo.kpdName.isEmpty())
        return;
    const QScopedValueRollback<bool> warningUp(m_warningUp, true);
    ShowWarning(QStringLiteral("请输入企业基本信息！"));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::FormClose() { WriteLogLine(QStringLiteral("退出开票系统！")); }

void TfrmMain::FormDestroy()
{
    Timer1->stop();
    // The work windows go before the context they work on; their close handling does not run.
    // Closed ones too: they may still wait for their deferred deletion.
    for (TChildFrame* frame : MDIClient->findChildren<TChildFrame*>())
        delete frame;
    FreeGlobals();
}

bool TfrmMain::event(QEvent* event)
{
    // Hints go to the second panel (showHint), not over the panels as a status message.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ActionToolBar1 && event->type() == QEvent::MouseMove)
        ActionToolBar1MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
    else if (watched == MDIClient->viewport() && event->type() == QEvent::Resize)
        FormPaint();
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::Timer1Timer() { StatusPanels[0]->setText(QStringLiteral("当前时间：") + DateTimeText(Now())); }

void TfrmMain::showHint(QAction* action) { StatusPanels[1]->setText(action->property(kHintProperty).toString()); }

void TfrmMain::ActionToolBar1MouseMove(const QPoint& pos)
{
    // Outside the buttons the bar's own hint, which is empty, clears the panel.
    if (!qobject_cast<QToolButton*>(ActionToolBar1->childAt(pos)))
        StatusPanels[1]->setText(ActionToolBar1->toolTip());
}

void TfrmMain::FormPaint()
{
    const QSize size = MDIClient->viewport()->size();
    if (size.isEmpty())
        return;
    QPixmap background(size);
    QPainter painter(&background);
    PaintBands(painter, size);
    if (!Image1.isNull()) {
        painter.setOpacity(0.3);  // the picture lies over the bands, which still show through
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), Image1);
    }
    painter.end();
    MDIClient->setBackground(background);
}

void TfrmMain::UpdateMenus()
{
    bool showWork = false;
    bool showHead = false;
    bool showBranch = false;
    if (CorpInfo.corpName.isEmpty() || CorpInfo.kpdName.isEmpty()) {
        // nothing but the file, company and about menus
    } else if (CorpInfo.flag == InvoicingPointKind::Branch) {
        showWork = showBranch = true;
    } else if (CorpInfo.flag == InvoicingPointKind::Head) {
        showWork = showHead = true;
    } else {
        return;  // a flag of another value changes nothing
    }
    for (const TActionRow& row : kActionRows) {
        switch (row.offer) {
        case TOffer::Always:
            break;
        case TOffer::Work:
            (this->*(row.member))->setVisible(showWork);
            break;
        case TOffer::Head:
            (this->*(row.member))->setVisible(showHead);
            break;
        case TOffer::Branch:
            (this->*(row.member))->setVisible(showBranch);
            break;
        }
    }
    // A menu shows while it offers something.
    for (QMenu* menu : MenuItems)
        menu->menuAction()->setVisible(
            std::any_of(menu->actions().cbegin(), menu->actions().cend(), [](const QAction* a) { return a->isVisible(); }));
}

void TfrmMain::CloseAllMDIChildren()
{
    for (QMdiSubWindow* frame : MDIClient->subWindowList())
        if (!frame->isHidden())
            frame->close();  // the window's own close handling decides
}

QList<QWidget*> TfrmMain::OpenChildren() const
{
    QList<QWidget*> open;
    for (QMdiSubWindow* frame : MDIClient->subWindowList())
        if (auto* f = qobject_cast<TChildFrame*>(frame); f && f->IsOpen())
            open.append(f->widget());
    return open;
}

void TfrmMain::BeginOpening(QAction* action)
{
    const TOpening& how = OpeningOf(action->objectName());
    const auto log = [&how] {
        if (*how.logLine)
            WriteLogLine(S(how.logLine));
    };
    if (how.order == TOpenOrder::LogThenClose)
        log();
    CloseAllMDIChildren();
    if (how.order == TOpenOrder::CloseThenLog)
        log();
}

QWidget* TfrmMain::ShowOpenChild(const char* className)
{
    // Only a window that refused to close is still open here; one that accepted is never reused.
    for (QWidget* child : OpenChildren())
        if (qstrcmp(child->metaObject()->className(), className) == 0) {
            auto* frame = static_cast<QMdiSubWindow*>(child->parentWidget());
            frame->show();
            MDIClient->setActiveSubWindow(frame);
            frame->raise();
            return child;
        }
    return nullptr;
}

void TfrmMain::AddChild(QWidget* child, QAction* action)
{
    const bool ownLayoutMaximised = child->windowState() & Qt::WindowMaximized;
    const QSize size = OpeningSize(child);
    auto* frame = new TChildFrame(child);
    frame->setObjectName(child->objectName() + QStringLiteral("Frame"));
    MDIClient->addSubWindow(frame);
    if (OpeningOf(action->objectName()).maximised || ownLayoutMaximised) {
        frame->showMaximized();
    } else {
        frame->show();
        // The frame around the window's own size, whole in the work area, in its middle.
        const QSize area = MDIClient->viewport()->size();
        frame->resize((frame->size() + size - child->size()).boundedTo(area).expandedTo(frame->minimumSize()));
        frame->move(CentredCorner(area, frame->size(), TOverhang::KeepCorner));
    }
    MDIClient->setActiveSubWindow(frame);
    // The window's own show handling placed the focus; only a window that placed none gets its
    // first field.
    FocusFirstField(child);
}

bool TfrmMain::IssuingChecks()
{
    TCurFPInfo current;
    QString failure;
    if (!GetCurInvoice(current, &failure)) {
        ShowWarning(CurInvoiceErrorText(failure));
        FPRKGL->trigger();
        return false;
    }
    if (CarTypeList.isEmpty()) {
        ShowWarning(QStringLiteral("请录入车辆类型和生产企业!"));
        SCCJAct->trigger();
        return false;
    }
    return true;
}
