#pragma once
#include <QFile>
#include <QString>

// The activity log: one file per day of the month, "Log" + dd + ".Log" in the log folder,
// every line "date time:message" ended CR LF and on disk when WriteLog returns.
class TLog {
public:
    // Opens today's file; raises EInOutError when the folder is missing or not writable.
    explicit TLog(const QString& folder);
    ~TLog();  // writes "file closed!"
    TLog(const TLog&) = delete;
    TLog& operator=(const TLog&) = delete;

    // Raises EInOutError when the line cannot be written.
    void WriteLog(const QString& message);

    QString FileName() const { return m_fileName; }
    static QString FileNameFor(const QString& folder, const QDate& day);

private:
    friend void WriteLogLine(const QString& message);

    void OpenLogFile();
    bool IsToday(const QString& name) const;
    void WriteLine(const QString& message);
    void CloseLog();

    QString m_folder;
    QString m_fileName;
    QFile m_file;
    bool m_failureReported = false;  // by WriteLogLine, once for this log
};

// The program's one way to write a log line: to SysLog, nothing when there is none. A line
// that cannot be written never undoes or hides the change it describes: the call does not
// raise, so the caller goes on as it would have. The first failure of the log is reported
// once, as an error box of the dialog layer (on stderr where none is installed) naming the file
// and the reason; later failures of the same log are dropped without a word.
void WriteLogLine(const QString& message);
