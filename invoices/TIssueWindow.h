#pragma once
#include <QWidget>

class QKeyEvent;
class QPushButton;
class TframeInput;

// What the single-car and the batch issuing windows share: the entry frame with the buttons
// "清空发票", "存盘打印" and "放弃退出", and the issuing sequence check, issue, log, continue.
class TIssueWindow : public QWidget {
    Q_OBJECT
public:
    QWidget* Panel1;
    TframeInput* frameInput1;
    QWidget* Panel2;
    QPushButton* btnAdd;
    QPushButton* btnPrt;
    QPushButton* btnClose;

    void FormShow();
    void btnAddClick();
    void btnPrtClick();
    void btnCloseClick();
    void FormResize();
    // Enter in the payee field issues, as the button "存盘打印" does; true when handled.
    bool frameInput1edtSKRKeyDown(QKeyEvent* key);

protected:
    struct TKind {
        QString caption;
        QSize minimumSize;
        QString logPrefix;  // before the printed values in the log line of an issue
        QString closeLine;  // the log line on closing
        bool batch;         // keep the shared fields of one sale from car to car
    };
    TIssueWindow(const TKind& kind, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The focus into the first field the clerk types in for the frame's mode, its text selected.
    void FocusFirstEntry();

    TKind m_kind;
    bool m_shown = false;
};
