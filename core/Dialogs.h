#pragma once
#include <QString>
#include <QStringList>

// Every message box, input box and file dialog of the program goes through this layer, so
// that the captions and buttons are the program's own and tests can answer them.
enum class TMsgKind { Warning, Error, Information, Confirmation };

enum TMsgButton : int { mbNone = 0, mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8 };
using TMsgButtons = int;

QString CaptionOf(TMsgKind kind);       // "警告" "错误" "提示" "确定"
QString ButtonText(TMsgButton button);  // "确定" "取消" "是" "否"
// The button Enter presses in a box of these buttons when defaultButton is asked for: that one
// when the box offers it, else the first offered of "是", "否", "确定", "取消".
TMsgButton DefaultButtonOf(TMsgButtons buttons, TMsgButton defaultButton);

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Shows a modal box and returns the button pressed (mbCancel or mbNo when closed otherwise).
    // Enter presses defaultButton (mbNone: the first of "是", "确定" offered).
    virtual TMsgButton MessageBox(TMsgKind kind, const QString& caption, const QString& text, TMsgButtons buttons,
                                  TMsgButton defaultButton = mbNone) = 0;
    // The input box: true with value set to the text as typed when confirmed.
    virtual bool InputBox(const QString& caption, const QString& prompt, QString& value, int maxLength) = 0;
    // Empty text when cancelled.
    virtual QString SelectDirectory(const QString& caption, const QString& startFolder) = 0;
    virtual QString OpenFileName(const QString& caption, const QString& folder, const QString& filter) = 0;
    virtual QString SaveFileName(const QString& caption, const QString& fileName, const QString& filter) = 0;
};

// The installed layer; until one is installed, boxes go to stderr and are answered "cancel".
TDialogs& Dialogs();
// Installs a layer (not owned); nullptr restores the default. Returns the previous one.
TDialogs* SetDialogs(TDialogs* dialogs);

// Short forms with the standard captions.
void ShowWarning(const QString& message);
void ShowError(const QString& message);
void ShowInfo(const QString& message);
// A question with the buttons "是" and "否"; true for "是". A question before a step that cannot
// be undone passes mbNo, so that a stray Enter does nothing.
bool AskYesNo(const QString& message, TMsgKind kind = TMsgKind::Confirmation, TMsgButton defaultButton = mbYes);

// The shared one-line input box (caption, prompt; value set only when confirmed).
bool InputBoxEx(const QString& caption, const QString& prompt, QString& value, int maxLength);
