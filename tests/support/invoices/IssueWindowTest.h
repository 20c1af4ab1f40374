#pragma once
#include "IssuingTestData.h"
#include "ProgramFolder.h"
#include "ScriptedDialogs.h"
#include "Screen.h"
#include "Typing.h"
#include "core/Dialogs.h"
#include "invoices/TframeInput.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>
#include <memory>

// The issuing windows on their own, without the main window: a program folder seeded by
// SeedIssuing with the default template, its context, and prints into the folder's invoice.pdf.
class TIssueWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SeedIssuing(folder);
        UseDefaultTemplate(folder);
        context = std::make_unique<TTestContext>(folder);
        pdf = folder.File(QStringLiteral("invoice.pdf"));
        PrintInto(pdf);
    }
    void TearDown() override
    {
        EXPECT_TRUE(ConnectionIdle(folder)) << "at the end of the test";
        delete window.data();
        context.reset();
    }
    // A window of class W, shown and active; the fixture frees it unless it closed itself.
    template <class W>
    W* Open()
    {
        auto* w = new W;
        window = w;
        EXPECT_TRUE(ShowActive(w));
        return w;
    }
    // Focuses a field and types into it as the clerk would.
    static void Type(QWidget* field, const QString& text)
    {
        field->setFocus();
        TypeText(QApplication::focusWidget(), text);
    }
    // Answers the paper-number box with the number shown, the paper box, and the continue
    // question with yes or no.
    void ScriptIssue(TframeInput& f, bool goOn)
    {
        dialogs.AnswerInput(f.stFPHM->text());
        dialogs.Answer(mbOK);  // load the paper
        dialogs.Answer(goOn ? mbYes : mbNo);
    }
    // Frees the windows that closed.
    static void Settle() { FreeClosedWindows(); }

    TTestProgramFolder folder;
    std::unique_ptr<TTestContext> context;
    TScriptedDialogs dialogs;
    QPointer<QWidget> window;
    QString pdf;
};
