#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Checks typed offsets against the sheet: the first failure's message and the field it
// belongs to (0 horizontal, 1 vertical); an empty message when both pass.
struct TOffsetCheck {
    QString message;
    int field = -1;
    int offX = 0;
    int offY = 0;
    bool Ok() const { return message.isEmpty(); }
};
TOffsetCheck CheckOffsets(const QString& offX, const QString& offY, int pageWidth, int pageHeight);

// "打印调试": fits the print to the pre-printed paper with two offsets in millimetres.
class TfrmAdjustPrint : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAdjustPrint(QWidget* parent = nullptr);

    QWidget* Panel1;
    QPlainTextEdit* Memo1;
    QLabel* StaticText1;
    QLineEdit* edtOffX;
    QLabel* StaticText2;
    QLineEdit* edtOffY;
    QPushButton* btnPrtTest;
    QPushButton* btnOK;
    QPushButton* btnClose;

    void FormShow();
    void btnOKClick();
    void btnCloseClick();
    void btnPrtTestClick();
    bool ValidateOffsets();
    // False, with the clerk told, when the settings file was not written.
    bool SaveOffsets();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The key filter of both edits: digits, "-", backspace and one decimal separator.
    bool ConfirmInput(QLineEdit* edit, const QString& typed) const;

    bool m_shown = false;
};
