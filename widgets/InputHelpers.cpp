#include "InputHelpers.h"

#include "core/Dialogs.h"
#include "core/TextCodec.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
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

bool IsEnterKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

bool TEnterChain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    if (!IsEnterKey(static_cast<QKeyEvent*>(event)->key()))
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
        if (!IsEnterKey(key->key()) || (key->modifiers() & ~Qt::KeypadModifier) || key->isAutoRepeat())
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};
}  // namespace

void ReserveTextWidth(QLineEdit* edit, int textWidth)
{
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.state |= QStyle::State_Sunken;
    // The edit draws its text 2 pixels in from either side and keeps a pixel for the cursor
    // and one for the glyphs' overhang.
    const QMargins margins = edit->textMargins();
    const QSize text(textWidth + 2 * 2 + 2 + margins.left() + margins.right(), edit->sizeHint().height());
    edit->setMinimumWidth(edit->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, text, edit).width());
}

namespace {
// Keeps a list from changing: no click opens it, no wheel or key moves its choice. Tab, Enter
// and copying pass.
class TListLock : public QObject {
public:
    static constexpr const char* kName = "tallyraListLock";
    explicit TListLock(QComboBox* list) : QObject(list)
    {
        setObjectName(QLatin1String(kName));
        list->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            return true;
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
                return false;
            default:
                return !key->matches(QKeySequence::Copy);
            }
        }
        default:
            return false;
        }
    }
};

// Found by its name: the class carries no meta-object of its own to be told apart by.
QObject* LockOf(const QWidget* field)
{
    return field->findChild<QObject*>(QLatin1String(TListLock::kName), Qt::FindDirectChildrenOnly);
}
}  // namespace

void SetFieldReadOnly(QWidget* field, bool readOnly)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        edit->setReadOnly(readOnly);
        return;
    }
    auto* list = qobject_cast<QComboBox*>(field);
    if (!list)
        return;
    if (list->lineEdit())
        list->lineEdit()->setReadOnly(readOnly);
    QObject* lock = LockOf(list);
    if (readOnly && !lock)
        new TListLock(list);
    else if (!readOnly)
        delete lock;
}

bool IsFieldReadOnly(const QWidget* field)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->isReadOnly();
    return qobject_cast<const QComboBox*>(field) && LockOf(field);
}

void InstallEnterPressesButtons()
{
    static QPointer<QObject> installed;
    if (installed || !qApp)
        return;
    installed = new TEnterPressesButtons(qApp);
    qApp->installEventFilter(installed);
}

bool TDatePicker::focusNextPrevChild(bool next)
{
    // QDateTimeEdit spends Tab on its own sections.
    return QWidget::focusNextPrevChild(next);
}

bool RefuseInput(const QString& message, QWidget* field)
{
    ShowWarning(message);
    if (field)
        field->setFocus();
    return false;
}
