#include "ScriptedDialogs.h"

TScriptedDialogs::TScriptedDialogs() { m_previous = SetDialogs(this); }

TScriptedDialogs::~TScriptedDialogs() { SetDialogs(m_previous); }

QStringList TScriptedDialogs::Texts() const
{
    QStringList texts;
    for (const TShownBox& b : m_shown)
        texts << b.text;
    return texts;
}

void TScriptedDialogs::Clear()
{
    m_shown.clear();
    m_buttons.clear();
    m_inputs.clear();
    m_paths.clear();
    m_unanswered = 0;
}

TMsgButton TScriptedDialogs::MessageBox(TMsgKind kind, const QString& caption, const QString& text, TMsgButtons buttons,
                                        TMsgButton defaultButton)
{
    TShownBox box{kind, caption, text, buttons, false, 0, DefaultButtonOf(buttons, defaultButton)};
    m_shown.push_back(box);
    if (OnShow)
        OnShow(box);
    if (!m_buttons.empty()) {
        const TMsgButton b = m_buttons.front();
        m_buttons.pop_front();
        return b;
    }
    if (buttons & mbOK)
        return mbOK;
    ++m_unanswered;
    return (buttons & mbCancel) ? mbCancel : mbNo;
}

bool TScriptedDialogs::InputBox(const QString& caption, const QString& prompt, QString& value, int maxLength)
{
    TShownBox box{TMsgKind::Information, caption, prompt, mbOK | mbCancel, true, maxLength};
    m_shown.push_back(box);
    if (OnShow)
        OnShow(box);
    if (m_inputs.empty()) {
        ++m_unanswered;
        return false;
    }
    std::optional<QString> answer = m_inputs.front();
    m_inputs.pop_front();
    if (!answer)
        return false;
    value = maxLength > 0 ? answer->left(maxLength) : *answer;  // the edit cuts what is typed
    return true;
}

QString TScriptedDialogs::NextPath(const QString& caption)
{
    TShownBox box{TMsgKind::Information, caption, QString(), mbOK | mbCancel, false, 0};
    m_shown.push_back(box);
    if (OnShow)
        OnShow(box);
    if (m_paths.empty()) {
        ++m_unanswered;
        return {};
    }
    const QString p = m_paths.front();
    m_paths.pop_front();
    return p;
}

QString TScriptedDialogs::SelectDirectory(const QString& caption, const QString&) { return NextPath(caption); }
QString TScriptedDialogs::OpenFileName(const QString& caption, const QString&, const QString&) { return NextPath(caption); }
QString TScriptedDialogs::SaveFileName(const QString& caption, const QString&, const QString&) { return NextPath(caption); }
