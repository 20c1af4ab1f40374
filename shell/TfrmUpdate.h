#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

// The upgrade page: its address comes from the settings file and opens in the desktop's browser.
class TfrmUpdate : public QWidget {
    Q_OBJECT
public:
    explicit TfrmUpdate(QWidget* parent = nullptr);

    QLabel* WebBrowser1;  // the address, in place of an embedded browser
    QPushButton* btnClose;

    void OpenUpgradePage();
    void btnCloseClick();
    QString Address() const { return m_address; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QString m_address;
    bool m_shown = false;
};

// The upgrade page of a settings file without the key.
inline constexpr const char* kDefaultUpgradeUrl = "https://tallyra.example.com/upgrade/";
