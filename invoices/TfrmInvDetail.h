#pragma once
#include <QDialog>

class QPushButton;
class QSqlRecord;
class TframeInput;

// "发票详细信息": one stored invoice shown read-only on the invoice image.
class TfrmInvDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInvDetail(QWidget* parent = nullptr);

    TframeInput* frameInput1;
    QPushButton* btnClose;

    void btnCloseClick();

    // Shows row (every SaleDetail field) modally, centred on the screen, captioned with its
    // number. The frame takes nothing from stock. A row that cannot be shown shows nothing.
    static void ShowInvoice(const QSqlRecord& row, QWidget* parent);
};
