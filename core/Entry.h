#pragma once
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

// The guard that lets one copy of the program run per user: a lock file "Corvane.lock" in the
// user's runtime folder. A lock left by a killed process is taken over.
class TSingleInstance {
public:
    explicit TSingleInstance(const QString& folder = {});
    bool Acquired() const { return m_acquired; }
    static QString DefaultFolder();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

// The windows the entry shows; each returns true when accepted. RunMain creates the main
// window and runs the message loop; the main window's destruction frees the context.
struct TEntryWindows {
    std::function<bool()> UserAccept;
    std::function<bool()> Login;
    std::function<int()> RunMain;
};

// The start-up sequence: single-instance guard, context, agreement (only while the taxpayer
// number is empty), login, main window. Returns the process exit code.
int ProgramEntry(const TEntryWindows& windows, const QString& lockFolder = {});
