#include "TApplication.h"

#include "core/Dialogs.h"
#include "core/Errors.h"

#include <exception>

bool DeliverGuarded(const std::function<bool()>& deliver)
{
    QString text;
    try {
        return deliver();
    } catch (const ETallyraError& e) {
        text = e.Text();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("未知错误");
    }
    // The box runs its own event loop: an error inside it is reported the same way.
    try {
        ShowError(text);
    } catch (...) {
    }
    return false;
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}
