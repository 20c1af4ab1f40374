#pragma once
#include "core/Dialogs.h"

// The dialog layer on Qt widgets: message boxes with the program's own captions and button
// texts, the input box TfrmInput, and the file and folder dialogs.
class TQtDialogs final : public TDialogs {
public:
    TMsgButton MessageBox(TMsgKind kind, const QString& caption, const QString& text, TMsgButtons buttons,
                          TMsgButton defaultButton = mbNone) override;
    bool InputBox(const QString& caption, const QString& prompt, QString& value, int maxLength) override;
    QString SelectDirectory(const QString& caption, const QString& startFolder) override;
    QString OpenFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString SaveFileName(const QString& caption, const QString& fileName, const QString& filter) override;
};
