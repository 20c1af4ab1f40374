#include "TApplication.h"

#include "core/Dialogs.h"
#include "core/Errors.h"

#include <QLibraryInfo>
#include <QTranslator>
#include <exception>
#include <memory>

bool LoadQtTranslations(const QString& folder)
{
    const QString dir = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), dir)) {
        qWarning("qtbase_zh_CN.qm not found in %s (package qt6-translations-l10n): Qt's own dialogs stay in English",
                 qUtf8Printable(dir));
        return false;
    }
    QCoreApplication::installTranslator(translator.release());
    return true;
}

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
