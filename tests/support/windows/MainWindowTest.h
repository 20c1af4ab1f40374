#pragma once
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "ShellTestSupport.h"
#include "shell/TfrmMain.h"

#include <QAction>
#include <gtest/gtest.h>
#include <memory>

// Windows as the clerk gets them: opened through the main window of a program folder, message
// boxes answered through the dialog layer.
class TMainWindowTest : public ::testing::Test {
protected:
    // Runs sql on the folder's database, then starts the program on it.
    void StartMain(const QString& sql = {})
    {
        if (!sql.isEmpty())
            folder.Sql(sql);
        OpenMain(folder);
    }
    // The program of a folder; one runs at a time.
    void OpenMain(const TTestProgramFolder& on)
    {
        CloseMain();
        context = std::make_unique<TTestContext>(on);
        main = std::make_unique<TfrmMain>();
        ASSERT_TRUE(ShowActive(main.get()));
    }
    void CloseMain()
    {
        main.reset();
        context.reset();
    }
    void TearDown() override
    {
        // Whatever the test did last, the program is left idle: it holds no read.
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        CloseMain();
    }

    // The work window of class T open once action has been triggered; nullptr when none is.
    template <class T>
    T* Through(QAction* action)
    {
        action->trigger();
        FreeClosedWindows();
        T* found = nullptr;
        for (QWidget* w : main->OpenChildren())
            if (auto* t = qobject_cast<T*>(w)) {
                EXPECT_EQ(found, nullptr) << "two windows of one kind: " << OpenClasses(*main).join(u',').toStdString();
                found = t;
            }
        return found;
    }
    QString LastText() const { return dialogs.Shown().empty() ? QString() : dialogs.Shown().back().text; }
    int LogMark() const { return LogLines(folder.Path()).size(); }
    QStringList LogSince(int mark) const { return LogLines(folder.Path()).mid(mark); }

    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    std::unique_ptr<TTestContext> context;
    std::unique_ptr<TfrmMain> main;
};
