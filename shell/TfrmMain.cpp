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
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <cmath>

TfrmMain* frmMain = nullptr;

namespace {
const TOpening kOpenings[] = {
    {"KJZCFP", TOpenOrder::CloseThenLog, true, "打开单车销售发票开具"},
    {"PLKJFP", TOpenOrder::LogThenClose, true, "打开批量销售发票开具"},
    {"FSFPKJ", TOpenOrder::LogThenClose, true, "打开负数销售发票开具"},
    {"FPRKGL", TOpenOrder::CloseThenLog, true, "打开发票入库管理"},
    {"YKFPGL", TOpenOrder::CloseThenLog, true, "打开已开发票管理"},
    {"WKFPGL", TOpenOrder::CloseThenLog, false, "打开未开发票管理"},
    {"qrySaleAct", TOpenOrder::LogThenClose, true, "打开开票记录查询"},
    {"qryInvRecAct", TOpenOrder::LogThenClose, true, "打开查询库存记录"},
    {"importSaleAct", TOpenOrder::LogThenClose, true, "打开销售导入数据界面"},
    {"exportSaleAct", TOpenOrder::LogThenClose, true, "打开销售导出数据界面"},
    {"importInvAct", TOpenOrder::CloseThenLog, true, "打开库存导入数据界面"},
    {"exportInvAct", TOpenOrder::LogThenClose, true, "打开库存导出数据界面"},
    {"SCFPQD", TOpenOrder::LogThenClose, true, "打开生成《机动车销售统一发票清单》"},
    {"SCLYCBB", TOpenOrder::LogThenClose, true, "打开生成《机动车销售统一发票领用存月报表》"},
    {"ImportICData", TOpenOrder::CloseThenLog, false, "打开导出电子申报数据"},
    {"SCRPSJ", TOpenOrder::CloseThenLog, false, "生成软盘申报数据"},
    {"infoAct", TOpenOrder::CloseThenLog, false, "打开企业基本信息"},
    {"SCCJAct", TOpenOrder::CloseThenLog, false, "打开生产厂家维护"},
    {"passAct", TOpenOrder::CloseThenLog, false, "打开修改用户口令"},
    {"Action2", TOpenOrder::CloseThenLog, false, "打开打印微调"},
    {"Action1", TOpenOrder::CloseOnly, false, ""},
};

struct TActionDef {
    QAction* TfrmMain::*member;
    const char* name;
    const char* caption;
    const char* category;
    bool hint;
    void (TfrmMain::*handler)();
    const char* glyph;
    QRgb colour;
};

// The action list: caption, category, whether it has a hint (its caption), handler, icon (a
// character of its own for each action).
const TActionDef kActions[] = {
    {&TfrmMain::KJZCFP, "KJZCFP", "单车销售发票开具", "发票开具", true, &TfrmMain::KJZCFPExecute, "单", 0x2e7d32},
    {&TfrmMain::PLKJFP, "PLKJFP", "批量销售发票开具", "发票开具", true, &TfrmMain::PLKJFPExecute, "批", 0x2e7d32},
    {&TfrmMain::FSFPKJ, "FSFPKJ", "负数发票开具", "发票开具", true, &TfrmMain::FSFPKJExecute, "负", 0xc62828},
    {&TfrmMain::FPRKGL, "FPRKGL", "发票入库管理", "发票管理", true, &TfrmMain::FPRKGLExecute, "入", 0x1565c0},
    {&TfrmMain::YKFPGL, "YKFPGL", "已开发票管理", "发票管理", true, &TfrmMain::YKFPGLExecute, "已", 0x1565c0},
    {&TfrmMain::WKFPGL, "WKFPGL", "未开发票管理", "发票管理", true, &TfrmMain::WKFPGLExecute, "未", 0x1565c0},
    {&TfrmMain::qrySaleAct, "qrySaleAct", "开票记录查询", "查询", true, &TfrmMain::qrySaleActExecute, "查", 0x6a1b9a},
    {&TfrmMain::qryInvRecAct, "qryInvRecAct", "查询库存记录", "查询", true, &TfrmMain::qryInvRecActExecute, "库", 0x6a1b9a},
    {&TfrmMain::importSaleAct, "importSaleAct", "导入机动车销售统一发票清单", "合并报表", true,
     &TfrmMain::importSaleActExecute, "汇", 0xef6c00},
    {&TfrmMain::exportSaleAct, "exportSaleAct", "导出机动车销售统一发票清单", "合并报表", true,
     &TfrmMain::exportSaleActExecute, "销", 0xef6c00},
    {&TfrmMain::importInvAct, "importInvAct", "导入机动车销售统一发票领用存月报表", "合并报表", true,
     &TfrmMain::importInvActExecute, "合", 0xad5a00},
    {&TfrmMain::exportInvAct, "exportInvAct", "导出机动车销售统一发票领用存月报表", "合并报表", true,
     &TfrmMain::exportInvActExecute, "存", 0xad5a00},
    {&TfrmMain::SCFPQD, "SCFPQD", "生成《机动车销售统一发票清单》", "生成上报数据", true, &TfrmMain::SCFPQDExecute,
     "清", 0x00838f},
    {&TfrmMain::SCLYCBB, "SCLYCBB", "生成《机动车销售统一发票领用存月报表》", "生成上报数据", true,
     &TfrmMain::SCLYCBBExecute, "月", 0x00838f},
    {&TfrmMain::ImportICData, "ImportICData", "导出电子申报数据", "生成上报数据", false,
     &TfrmMain::ImportICDataExecute, "申", 0x00838f},
    {&TfrmMain::SCRPSJ, "SCRPSJ", "生成软盘申报数据", "生成上报数据", false, &TfrmMain::SCRPSJExecute, "盘", 0x00838f},
    {&TfrmMain::infoAct, "infoAct", "企业基本信息", "企业基本信息设置", true, &TfrmMain::infoActExecute, "企", 0x455a64},
    {&TfrmMain::SCCJAct, "SCCJAct", "生产厂家维护", "企业基本信息设置", true, &TfrmMain::SCCJActExecute, "厂", 0x455a64},
    {&TfrmMain::passAct, "passAct", "修改口令", "文件", false, &TfrmMain::passActExecute, "密", 0x5d4037},
    {&TfrmMain::Action2, "Action2", "打印设置", "文件", false, &TfrmMain::Action2Execute, "印", 0x5d4037},
    {&TfrmMain::Exit, "Exit", "退出", "文件", true, &TfrmMain::ExitExecute, "退", 0xb71c1c},
    {&TfrmMain::aboutAct, "aboutAct", "关于...", "关于", true, &TfrmMain::aboutActExecute, "关", 0x37474f},
    {&TfrmMain::HelpAct, "HelpAct", "帮助？", "关于", true, &TfrmMain::HelpActExecute, "帮", 0x37474f},
    {&TfrmMain::Action1, "Action1", "在线升级", "关于", false, &TfrmMain::Action1Execute, "升", 0x37474f},
};

QString S(const char* text) { return QString::fromUtf8(text); }

const char* const kHintProperty = "hint";
const char* const kCategoryProperty = "category";
}  // namespace

const TOpening& OpeningOf(const QString& action)
{
    static const TOpening none{"", TOpenOrder::CloseOnly, false, ""};
    for (const TOpening& o : kOpenings)
        if (action == QLatin1String(o.action))
            return o;
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
                                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                          Qt::WindowCloseButtonHint;
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
    if (watched == widget() && event->type() == QEvent::Hide && widget()->isHidden() && !isHidden() &&
        !isMinimized() && !isShaded()) {
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
    for (const TActionDef& d : kActions) {
        auto* action = new QAction(ActionIcon(S(d.glyph), QColor(d.colour)), S(d.caption), this);
        action->setObjectName(QString::fromLatin1(d.name));
        action->setProperty(kCategoryProperty, S(d.category));
        action->setProperty(kHintProperty, d.hint ? S(d.caption) : QString());
        action->setToolTip(d.hint ? S(d.caption) : QString());
        this->*(d.member) = action;
        const auto handler = d.handler;
        connect(action, &QAction::triggered, this, [this, handler] {
            DeliverGuarded([&] {
                (this->*handler)();
                return true;
            });
        });
        if (d.hint)
            connect(action, &QAction::hovered, this, [this, action] { showHint(action); });
    }
}

void TfrmMain::CreateMenus()
{
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setFont(SongFont(16));
    setMenuBar(MainMenu);
    const struct {
        const char* caption;
        QList<QAction*> actions;
    } layout[] = {
        {"文件", {passAct, Action2, Exit}},
        {"发票开具", {KJZCFP, PLKJFP, FSFPKJ}},
        {"发票管理", {FPRKGL, YKFPGL, WKFPGL}},
        {"查询", {qrySaleAct, qryInvRecAct}},
        {"合并报表", {importSaleAct, exportSaleAct, importInvAct, exportInvAct}},
        {"生成上报数据", {SCFPQD, SCLYCBB, ImportICData, SCRPSJ}},
        {"企业基本信息设置", {infoAct, SCCJAct}},
        {"关于", {aboutAct, HelpAct, Action1}},
    };
    for (const auto& item : layout) {
        QMenu* menu = MainMenu->addMenu(S(item.caption));
        menu->setFont(SongFont(16));
        menu->addActions(item.actions);
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
    ActionToolBar1->addActions({Exit, KJZCFP, PLKJFP, FSFPKJ, FPRKGL, YKFPGL, WKFPGL, qrySaleAct, qryInvRecAct,
                                importSaleAct, exportSaleAct, importInvAct, exportInvAct, SCFPQD, SCLYCBB,
                                ImportICData, infoAct, SCCJAct});
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
    if (!m_shown) {
        m_shown = true;
        DeliverGuarded([this] {
            FormShow();
            return true;
        });
    }
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
    m_warningUp = true;
    ShowWarning(QStringLiteral("请输入企业基本信息！"));
    m_warningUp = false;
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    WriteLogLine(QStringLiteral("退出开票系统！"));
}

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

void TfrmMain::Timer1Timer()
{
    StatusPanels[0]->setText(QStringLiteral("当前时间：") + DateTimeText(Now()));
}

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
    const QList<QAction*> work{qrySaleAct, qryInvRecAct, FPRKGL, YKFPGL, WKFPGL, KJZCFP, PLKJFP, FSFPKJ};
    const QList<QAction*> head{SCFPQD, SCLYCBB, SCRPSJ, ImportICData, importSaleAct, importInvAct};
    const QList<QAction*> branch{exportSaleAct, exportInvAct};
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
    for (int i = 1; i <= 4; ++i)
        MenuItems[i]->menuAction()->setVisible(showWork);
    MenuItems[5]->menuAction()->setVisible(showHead);
    for (QAction* a : work)
        a->setVisible(showWork);
    for (QAction* a : head)
        a->setVisible(showHead);
    for (QAction* a : branch)
        a->setVisible(showBranch);
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
        frame->move(std::max(0, (area.width() - frame->width()) / 2), std::max(0, (area.height() - frame->height()) / 2));
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

// The windows of the issuing, stock, query, report and print set-up actions come with their
// own subsystems; each is wired here with OpenChild<T>(action) or OpenModal<T>(action).

void TfrmMain::KJZCFPExecute()
{
    if (IssuingChecks())
        OpenChild<TfrmMKNormalInv>(KJZCFP);
}

void TfrmMain::PLKJFPExecute()
{
    if (IssuingChecks())
        OpenChild<TfrmPLMKInv>(PLKJFP);
}

void TfrmMain::FSFPKJExecute()
{
    if (IssuingChecks())
        OpenChild<TfrmCHInv>(FSFPKJ);
}

void TfrmMain::FPRKGLExecute() { OpenChild<TfrmLYFP>(FPRKGL); }
void TfrmMain::YKFPGLExecute() { OpenChild<TfrmYKJFPGL>(YKFPGL); }
void TfrmMain::WKFPGLExecute() { OpenModal<TfrmWKJFPGL>(WKFPGL); }
void TfrmMain::qrySaleActExecute() { OpenChild<TfrmQrySale>(qrySaleAct); }
void TfrmMain::qryInvRecActExecute() { OpenChild<TfrmQryInvRec>(qryInvRecAct); }
void TfrmMain::importSaleActExecute() { OpenChild<TfrmImportSaleData>(importSaleAct); }
void TfrmMain::exportSaleActExecute() { OpenChild<TfrmExportSaleData>(exportSaleAct); }
void TfrmMain::importInvActExecute() { OpenChild<TfrmImportInvData>(importInvAct); }
void TfrmMain::exportInvActExecute() { OpenChild<TfrmExportInvData>(exportInvAct); }
void TfrmMain::SCFPQDExecute() { OpenChild<TfrmMKSaleReport>(SCFPQD); }
void TfrmMain::SCLYCBBExecute() { OpenChild<TfrmMKInvReport>(SCLYCBB); }
void TfrmMain::ImportICDataExecute() { OpenChild<TfrmMKICData>(ImportICData); }
void TfrmMain::SCRPSJExecute() { OpenChild<TfrmRPSBSJ>(SCRPSJ); }
void TfrmMain::Action2Execute() { OpenChild<TfrmAdjustPrint>(Action2); }

void TfrmMain::infoActExecute() { OpenChild<TfrmBaseInfo>(infoAct); }

void TfrmMain::SCCJActExecute() { OpenChild<TfrmCJCL>(SCCJAct); }

void TfrmMain::passActExecute() { OpenChild<TfrmUpdatePass>(passAct); }

void TfrmMain::Action1Execute() { OpenChild<TfrmUpdate>(Action1); }

void TfrmMain::ExitExecute() { close(); }

void TfrmMain::aboutActExecute() { OpenModal<TfrmAbout>(nullptr); }

void TfrmMain::HelpActExecute()
{
    // A missing help file shows nothing.
    const QString help = AppPath + QStringLiteral("Corvane.html");
    if (QFileInfo::exists(help))
        QDesktopServices::openUrl(QUrl::fromLocalFile(help));
}
