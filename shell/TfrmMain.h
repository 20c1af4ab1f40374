#pragma once
#include <QImage>
#include <QMainWindow>
#include <QMdiSubWindow>

class QLabel;
class QMdiArea;
class QMenu;
class QMenuBar;
class QTimer;
class QToolBar;

// How an action opens its work window: the order of closing the open children and of its log
// line, and whether the window is maximised or shown as its own layout defines.
enum class TOpenOrder { CloseThenLog, LogThenClose, CloseOnly };
struct TOpening {
    const char* action;
    TOpenOrder order;
    bool maximised;
    const char* logLine;  // empty: none
};
// The opening of an action by its name; an action that opens nothing has no closing and no line.
const TOpening& OpeningOf(const QString& action);

// The 256 blue bands of the main window's background, over the whole of size.
void PaintBands(QPainter& painter, const QSize& size);

// The sub-window of a work window: it goes when its window closes itself.
class TChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TChildFrame(QWidget* child);
    ~TChildFrame() override;
    // False once the window accepted a close request (it is then only waiting to be freed).
    bool IsOpen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The program's frame window: the work windows as MDI children, the menus and the tool bar of
// one action set, the status bar with its clock, and the painted background.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    QMdiArea* MDIClient;
    QMenuBar* MainMenu;
    QToolBar* ActionToolBar1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanels[3];
    QTimer* Timer1;
    QImage Image1;
    QList<QMenu*> MenuItems;  // the eight top-level menus, in order

    QAction* KJZCFP;
    QAction* PLKJFP;
    QAction* FSFPKJ;
    QAction* FPRKGL;
    QAction* YKFPGL;
    QAction* WKFPGL;
    QAction* qrySaleAct;
    QAction* qryInvRecAct;
    QAction* importSaleAct;
    QAction* exportSaleAct;
    QAction* importInvAct;
    QAction* exportInvAct;
    QAction* SCFPQD;
    QAction* SCLYCBB;
    QAction* ImportICData;
    QAction* SCRPSJ;
    QAction* infoAct;
    QAction* SCCJAct;
    QAction* passAct;
    QAction* Action2;
    QAction* Exit;
    QAction* aboutAct;
    QAction* HelpAct;
    QAction* Action1;

    void UpdateMenus();
    void CloseAllMDIChildren();
    // The open work windows, in the order they were opened.
    QList<QWidget*> OpenChildren() const;

    // Opens the work window of class T for action: closes the children and logs in the
    // action's order, then shows the open window of that class or creates one.
    template <class T>
    T* OpenChild(QAction* action)
    {
        BeginOpening(action);
        if (QWidget* open = ShowOpenChild(T::staticMetaObject.className()))
            return static_cast<T*>(open);
        auto* child = new T(nullptr);
        AddChild(child, action);
        return child;
    }
    // Runs the dialog T modally; with an action, after closing the children and logging.
    template <class T>
    int OpenModal(QAction* action)
    {
        if (action)
            BeginOpening(action);
        T window(this);
        return window.exec();
    }

    // The actions' handlers.
    void KJZCFPExecute();
    void PLKJFPExecute();
    void FSFPKJExecute();
    void FPRKGLExecute();
    void YKFPGLExecute();
    void WKFPGLExecute();
    void qrySaleActExecute();
    void qryInvRecActExecute();
    void importSaleActExecute();
    void exportSaleActExecute();
    void importInvActExecute();
    void exportInvActExecute();
    void SCFPQDExecute();
    void SCLYCBBExecute();
    void ImportICDataExecute();
    void SCRPSJExecute();
    void infoActExecute();
    void SCCJActExecute();
    void passActExecute();
    void Action2Execute();
    void ExitExecute();
    void aboutActExecute();
    void HelpActExecute();
    void Action1Execute();
    void Timer1Timer();
    void showHint(QAction* action);
    void ActionToolBar1MouseMove(const QPoint& pos);
    void FormPaint();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void FormClose();
    void FormDestroy();
    bool IssuingChecks();
    void BeginOpening(QAction* action);
    void Execute(QAction* action);
    QWidget* ShowOpenChild(const char* className);
    void AddChild(QWidget* child, QAction* action);

    bool m_shown = false;
    bool m_warningUp = false;      // the missing-company warning is on the screen
    bool m_leftForOwnBox = false;  // deactivated only by a box of this program
};

// The main window while it exists (the company window updates its menus).
extern TfrmMain* frmMain;
