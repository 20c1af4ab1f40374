#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The one-line input box behind InputBoxEx.
class TfrmInput : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInput(QWidget* parent = nullptr);

    QLabel* stPrompt;
    QLineEdit* edtInput;
    QPushButton* BitBtn1;  // 确定
    QPushButton* BitBtn2;  // 取消

    // Maximum length of what the clerk types; 0 means no limit.
    void SetMaxLength(int maxLength);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
};
