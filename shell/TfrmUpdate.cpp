#include "TfrmUpdate.h"

#include "widgets/Guarded.h"
#include "widgets/WindowHelpers.h"
#include "core/Settings.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TfrmUpdate::TfrmUpdate(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("在线升级"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(SongFont(14));
    resize(800, 600);
    setWindowState(Qt::WindowMaximized);  // its own layout is maximised (after the size: resizing would undo it)

    WebBrowser1 = new QLabel(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAlignment(Qt::AlignCenter);
    WebBrowser1->setWordWrap(true);
    WebBrowser1->setTextFormat(Qt::RichText);
    WebBrowser1->setOpenExternalLinks(true);
    WebBrowser1->setFrameShape(QFrame::StyledPanel);
    WebBrowser1->setAutoFillBackground(true);
    WebBrowser1->setStyleSheet(QStringLiteral("QLabel#WebBrowser1 { background: white; }"));

    auto* strip = new QWidget(this);
    strip->setFixedHeight(34);
    btnClose = new QPushButton(QStringLiteral("关闭"), strip);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, &TfrmUpdate::btnCloseClick);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 2, 12, 2);
    stripLayout->addStretch();
    stripLayout->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(WebBrowser1, 1);
    layout->addWidget(strip);
}

void TfrmUpdate::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    GuardedOnFirstShow(m_shown, [this] { FormShow(); });
}

void TfrmUpdate::FormShow() { OpenUpgradePage(); }

void TfrmUpdate::OpenUpgradePage()
{
    // A key that is present but empty stays empty: there is then nothing to open.
    m_address = ReadIniString(QStringLiteral("download"), QStringLiteral("url"), QString::fromLatin1(kDefaultUpgradeUrl));
    if (m_address.isEmpty()) {
        WebBrowser1->setText(QStringLiteral("未设置升级页面的地址。"));
        return;
    }
    // An unreachable page is the browser's to show; a browser that did not start is ours to say.
    const bool opened = QDesktopServices::openUrl(QUrl(m_address));
    const QString link = QStringLiteral("<br><br><a href=\"%1\">%1</a>").arg(m_address.toHtmlEscaped());
    WebBrowser1->setText(
        (opened ? QStringLiteral("升级页面已在浏览器中打开：") : QStringLiteral("未能打开浏览器，请在浏览器中打开升级页面：")) +
        link);
}

void TfrmUpdate::btnCloseClick() { close(); }
