#include "InputHelpers.h"

#include "core/TextCodec.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

TTypedTextValidator::TTypedTextValidator(int maxBytes, const QRegularExpression& allowed, QObject* parent)
    : QValidator(parent), m_maxBytes(maxBytes), m_allowed(allowed)
{
}

QValidator::State TTypedTextValidator::validate(QString& input, int&) const
{
    if (m_maxBytes > 0 && GbkLength(input) > m_maxBytes)
        return Invalid;
    if (m_allowed.isValid() && !m_allowed.pattern().isEmpty())
        for (const QChar c : input)
            if (!m_allowed.match(QString(c)).hasMatch())
                return Invalid;
    return Acceptable;
}

void LimitTyped(QLineEdit* edit, int maxBytes, const QString& allowedChar)
{
    const QRegularExpression re(allowedChar.isEmpty() ? QString() : QStringLiteral("\\A(?:%1)\\z").arg(allowedChar));
    edit->setValidator(new TTypedTextValidator(maxBytes, re, edit));
}

TEnterChain::TEnterChain(QList<QWidget*> fields, std::function<void()> onLast, QObject* parent)
    : QObject(parent), m_fields(std::move(fields)), m_onLast(std::move(onLast))
{
    for (QWidget* w : m_fields)
        w->installEventFilter(this);
}

bool TEnterChain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    const int at = m_fields.indexOf(static_cast<QWidget*>(watched));
    if (at < 0)
        return false;
    // Disabled or hidden fields cannot take the focus: skip them.
    for (int i = at + 1; i < m_fields.size(); ++i) {
        QWidget* next = m_fields.at(i);
        if (next->isEnabled() && next->isVisible() && next->focusPolicy() != Qt::NoFocus) {
            next->setFocus(Qt::TabFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(next))
                edit->selectAll();
            return true;
        }
    }
    if (m_onLast)
        m_onLast();
    return true;
}

namespace {
class TEnterPressesButtons : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) || key->isAutoRepeat())
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};
}  // namespace

void InstallEnterPressesButtons()
{
    static QPointer<QObject> installed;
    if (installed || !qApp)
        return;
    installed = new TEnterPressesButtons(qApp);
    qApp->installEventFilter(installed);
}
