#pragma once
#include "core/Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

// One box the program showed.
struct TShownBox {
    TMsgKind kind = TMsgKind::Information;
    QString caption;
    QString text;
    TMsgButtons buttons = mbNone;
    bool input = false;  // an input box (caption, prompt in text)
    int maxLength = 0;
    TMsgButton defaultButton = mbNone;  // of a message box: the button Enter would press
};

// The dialog layer of the tests: answers from queues and records every box in order.
// Installs itself while it lives.
class TScriptedDialogs final : public TDialogs {
public:
    TScriptedDialogs();
    ~TScriptedDialogs() override;

    // Answers for the next message boxes; a box without one gets mbOK when it offers it and
    // is otherwise counted as unanswered and closed with its "no" or "cancel".
    void Answer(TMsgButton button) { m_buttons.push_back(button); }
    // Answers for the next input boxes; nullopt cancels.
    void AnswerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    // Answers for the next file and folder dialogs; empty cancels.
    void AnswerPath(const QString& path) { m_paths.push_back(path); }

    // Called while each box is up, before it is answered.
    std::function<void(const TShownBox&)> OnShow;

    const std::vector<TShownBox>& Shown() const { return m_shown; }
    QStringList Texts() const;
    int Unanswered() const { return m_unanswered; }
    void Clear();

    TMsgButton MessageBox(TMsgKind kind, const QString& caption, const QString& text, TMsgButtons buttons,
                          TMsgButton defaultButton = mbNone) override;
    bool InputBox(const QString& caption, const QString& prompt, QString& value, int maxLength) override;
    QString SelectDirectory(const QString& caption, const QString& startFolder) override;
    QString OpenFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString SaveFileName(const QString& caption, const QString& fileName, const QString& filter) override;

private:
    QString NextPath(const QString& caption);

    std::deque<TMsgButton> m_buttons;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<QString> m_paths;
    std::vector<TShownBox> m_shown;
    int m_unanswered = 0;
    TDialogs* m_previous = nullptr;
};
