#include "Dialogs.h"

#include <cstdio>

QString CaptionOf(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Warning:
        return QStringLiteral("警告");
    case TMsgKind::Error:
        return QStringLiteral("错误");
    case TMsgKind::Information:
        return QStringLiteral("提示");
    case TMsgKind::Confirmation:
        return QStringLiteral("确定");
    }
    return {};
}

QString ButtonText(TMsgButton button)
{
    switch (button) {
    case mbOK:
        return QStringLiteral("确定");
    case mbCancel:
        return QStringLiteral("取消");
    case mbYes:
        return QStringLiteral("是");
    case mbNo:
        return QStringLiteral("否");
    default:
        return {};
    }
}

TMsgButton DefaultButtonOf(TMsgButtons buttons, TMsgButton defaultButton)
{
    if (defaultButton != mbNone && (buttons & defaultButton))
        return defaultButton;
    for (TMsgButton b : {mbYes, mbNo, mbOK, mbCancel})
        if (buttons & b)
            return b;
    return mbOK;
}

namespace {
// Used where no window system is installed (the core alone, tools).
class TConsoleDialogs final : public TDialogs {
public:
    TMsgButton MessageBox(TMsgKind, const QString& caption, const QString& text, TMsgButtons buttons,
                          TMsgButton = mbNone) override
    {
        std::fprintf(stderr, "[%s] %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        if (buttons & mbCancel)
            return mbCancel;
        if (buttons & mbNo)
            return mbNo;
        return mbOK;
    }
    bool InputBox(const QString&, const QString&, QString&, int) override { return false; }
    QString SelectDirectory(const QString&, const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

TDialogs*& Installed()
{
    static TDialogs* installed = nullptr;
    return installed;
}
}  // namespace

TDialogs& Dialogs()
{
    static TConsoleDialogs console;
    TDialogs* d = Installed();
    return d ? *d : console;
}

TDialogs* SetDialogs(TDialogs* dialogs)
{
    TDialogs* previous = Installed();
    Installed() = dialogs;
    return previous;
}

void ShowWarning(const QString& message) { Dialogs().MessageBox(TMsgKind::Warning, CaptionOf(TMsgKind::Warning), message, mbOK); }

void ShowError(const QString& message) { Dialogs().MessageBox(TMsgKind::Error, CaptionOf(TMsgKind::Error), message, mbOK); }

void ShowInfo(const QString& message)
{
    Dialogs().MessageBox(TMsgKind::Information, CaptionOf(TMsgKind::Information), message, mbOK);
}

bool AskYesNo(const QString& message, TMsgKind kind, TMsgButton defaultButton)
{
    return Dialogs().MessageBox(kind, CaptionOf(kind), message, mbYes | mbNo, defaultButton) == mbYes;
}

bool InputBoxEx(const QString& caption, const QString& prompt, QString& value, int maxLength)
{
    return Dialogs().InputBox(caption, prompt, value, maxLength);
}
