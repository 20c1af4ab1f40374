#pragma once
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <string>

// This test program started again as a child for the kill tests. The child finds the program
// folder in variable and runs only the tests of filter; the test that sees the variable set does
// the child's work instead of its own.
class TChildProgram {
public:
    TChildProgram(const char* variable, const QString& folder, const QString& filter);
    ~TChildProgram();

    // Starts the child; false when it did not start within half a minute.
    bool Start();
    // Waits until the child has told the mark (TellParent), past the marks waited for before;
    // false when it ended or was silent for a minute first.
    bool WaitFor(const char* mark);
    // Kills the child (SIGKILL) if it still runs; true when it did.
    bool Kill();
    // Lets the child run up to ms more, then kills it if it still runs; true when it did.
    bool KillAfter(int ms);
    // The child has ended, or ends within a minute.
    bool Ended();
    int ExitCode() const { return m_process.exitCode(); }
    // What it wrote on its error output since asked last.
    std::string Errors();

private:
    QProcess m_process;
    QString m_filter;
    QByteArray m_out;
};

// In the child: tells the parent that it has come to mark.
void TellParent(const char* mark);
