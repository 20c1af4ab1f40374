#pragma once
#include <QString>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class TframeInput;

// The text of an amount for the negative invoice: its sign turned. Empty text, text that is
// not a number and an amount of 0 stay as they are (a reversed 0 is still 0, never "-0").
QString NegatedAmount(const QString& text);

// "负数发票开具": reverses an issued normal invoice with a negative one (state "2") that names
// it, issued on the current blank invoice. The clerk searches the invoice by its number; one
// not stored here is typed by hand.
class TfrmCHInv : public QWidget {
    Q_OBJECT
public:
    explicit TfrmCHInv(QWidget* parent = nullptr);

    QWidget* Panel1;
    QWidget* Panel2;  // the search bar
    QLabel* StaticText1;
    QLineEdit* edtInput;
    QPushButton* btnQry;
    QPushButton* btnPrt;
    QPushButton* btnClose;
    TframeInput* frameInput1;

    void FormShow();
    void btnQryClick();
    // Enter in the number field searches; true when handled.
    bool edtInputKeyDown(QKeyEvent* key);
    void btnPrtClick();
    void btnCloseClick();
    void FormResize();
    // Key filter of the amount edits for an invoice typed by hand: '-' is let in as well;
    // true discards the key.
    bool ConfirmInput(QLineEdit* edit, QKeyEvent* key);
    void cmbTJChange();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ManualEntry(const QString& number);
    void LoadFound(const QString& number);

    // The blank invoice the negative invoice is issued on: loading the reversed invoice
    // overwrites the code and number the frame shows.
    QString FBlankCode;
    QString FBlankNo;
    bool m_shown = false;
};
