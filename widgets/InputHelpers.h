#pragma once
#include <QDateEdit>
#include <QObject>
#include <QRegularExpression>
#include <QValidator>
#include <functional>

class QLineEdit;
class QWidget;

// Limits what the clerk types into an edit: at most maxBytes GBK bytes (0 = no limit) and,
// when allowed is valid, only characters it matches. Text the program sets is never cut
// (QLineEdit::setMaxLength would cut it).
class TTypedTextValidator : public QValidator {
    Q_OBJECT
public:
    TTypedTextValidator(int maxBytes, const QRegularExpression& allowed, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int m_maxBytes;
    QRegularExpression m_allowed;  // one character
};

// Installs a TTypedTextValidator on edit; allowedChar is a pattern for one character, e.g.
// "[0-9]" (empty: any character).
void LimitTyped(QLineEdit* edit, int maxBytes, const QString& allowedChar = {});

// Whether key is Enter: Return, or the keypad's Enter.
bool IsEnterKey(int key);

// Enter (Return or the keypad's Enter) in a field of the chain moves the focus to the next
// field that can take it; in the last field it calls onLast (when given).
class TEnterChain : public QObject {
    Q_OBJECT
public:
    TEnterChain(QList<QWidget*> fields, std::function<void()> onLast, QObject* parent);
    void SetFields(QList<QWidget*> fields) { m_fields = std::move(fields); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> m_fields;
    std::function<void()> m_onLast;
};

// Enter (Return or the keypad's Enter) on a focused push button presses it, in every window of
// the program: outside a dialog a button takes only Space. Installed on the application once;
// further calls do nothing.
void InstallEnterPressesButtons();

// Widens an edit (its minimum width) so that a text of textWidth pixels shows whole in it.
void ReserveTextWidth(QLineEdit* edit, int textWidth);

// Makes a field (an edit or a list) read-only, or editable again. A read-only field stays
// enabled: the clerk reads its value in the normal text colour and may select and copy it, but
// cannot change it (a list does not open). A disabled field would grey its value out.
void SetFieldReadOnly(QWidget* field, bool readOnly);
bool IsFieldReadOnly(const QWidget* field);

// Refuses what the clerk entered: the warning shown, then the focus put on field (nullptr:
// left where it is). Always false, for a check to return.
bool RefuseInput(const QString& message, QWidget* field);

// A date picker that Tab leaves for the next control, as it leaves every other field; within
// the date the arrow keys move between year, month and day.
class TDatePicker : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override;
};
