#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The usage agreement of a first run: "接受" goes on, "拒绝" (or Esc) ends the program.
class TfrmUserAccept : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUserAccept(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;  // 拒绝
    QPushButton* BitBtn2;  // 接受
};
