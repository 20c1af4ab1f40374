#pragma once
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"

#include <QPointer>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

// One window of class F on its own over a fresh program folder, boxes answered through the
// dialog layer. At the end of the test the program must hold no read; the window and the
// context are then freed.
template <class F>
class TFormTest : public ::testing::Test {
protected:
    // Runs sql on the folder's database, starts the context on it and makes the window.
    void Open(const QString& sql = {})
    {
        if (!sql.isEmpty())
            folder.Sql(sql);
        context = std::make_unique<TTestContext>(folder);
        form = new F;
    }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        delete form.data();
        context.reset();
    }

    TTestProgramFolder folder;
    TScriptedDialogs dialogs;
    std::unique_ptr<TTestContext> context;
    QPointer<F> form;
};
