#include "Screen.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>

bool ShowActive(QWidget* window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

void FreeClosedWindows()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

bool WhileModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& act)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || seen)
            return;
        if (!w->isActiveWindow()) {  // up and active, so that the focus is where the clerk finds it
            w->activateWindow();
            return;
        }
        seen = true;
        act(w);
        if (QApplication::activeModalWidget() == w)
            w->close();
    });
    poll.start(0);
    trigger();
    poll.stop();
    FreeClosedWindows();
    return seen;
}

int Darkest(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}
