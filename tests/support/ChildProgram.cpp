#include "ChildProgram.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <cstdio>

TChildProgram::TChildProgram(const char* variable, const QString& folder, const QString& filter) : m_filter(filter)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(variable), folder);
    m_process.setProcessEnvironment(env);
}

TChildProgram::~TChildProgram()
{
    // A test that stops early leaves no child running.
    Kill();
    m_process.waitForFinished(60000);
}

bool TChildProgram::Start()
{
    m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + m_filter});
    return m_process.waitForStarted(30000);
}

bool TChildProgram::WaitFor(const char* mark)
{
    while (!m_out.contains(mark) && m_process.waitForReadyRead(60000))
        m_out += m_process.readAllStandardOutput();
    m_out += m_process.readAllStandardOutput();  // what came with the end
    const qsizetype at = m_out.indexOf(mark);
    if (at < 0)
        return false;
    m_out.remove(0, at + static_cast<qsizetype>(qstrlen(mark)));
    return true;
}

bool TChildProgram::Kill()
{
    if (m_process.state() != QProcess::Running)
        return false;
    m_process.kill();  // SIGKILL
    return true;
}

bool TChildProgram::KillAfter(int ms)
{
    m_process.waitForFinished(ms);  // returns when the child ends first
    return Kill();
}

bool TChildProgram::Ended() { return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(60000); }

std::string TChildProgram::Errors() { return m_process.readAllStandardError().toStdString(); }

void TellParent(const char* mark)
{
    std::printf("%s\n", mark);
    std::fflush(stdout);
}
