#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The modal about box.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* Image1;
    QLabel* Label1;  // Tallyra
    QLabel* Label2;  // the lines below the title
    QPushButton* BitBtn1;
};
