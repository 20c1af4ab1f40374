#include "Typing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const int key = c.unicode() < 0x80 ? int(QChar(c).toUpper().unicode()) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void WhenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            WhenModal(action);
            return;
        }
        action(w);
    });
}
