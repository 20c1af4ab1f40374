#pragma once
#include "core/MyType.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;

// "未开具发票管理": registers a run of blank numbers of the current roll, from its current
// number on, as voided, handed back or lost, so that the stock agrees with the paper.
class TfrmWKJFPGL : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWKJFPGL(QWidget* parent = nullptr);

    QGroupBox* rdgLX;  // "请选择操作类型": 作废, 交回, 遗失
    QButtonGroup* rdgLXItems;
    QLineEdit* edtFPDM;
    QLineEdit* edtSFPHM;
    QLineEdit* edtEFPHM;
    QPushButton* btnBlank;
    QPushButton* btnClose;

    TCurFPInfo CurInfo;  // the current roll when the window was shown or after a failed run

    int ItemIndex() const;  // the chosen operation
    void FormShow();
    void LoadCurInvoice();
    void rdgLXClick();
    void btnBlankClick();
    void RegisterBlankRange(const QString& State);
    void btnCloseClick();
    void FormClose();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString Operation() const;  // the caption of btnBlank
    bool m_shown = false;
    bool m_closed = false;
};
