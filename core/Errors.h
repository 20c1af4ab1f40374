#pragma once
#include <QString>
#include <stdexcept>

// Errors that core routines raise to their callers. what() is UTF-8.
class ETallyraError : public std::runtime_error {
public:
    explicit ETallyraError(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromUtf8(what()); }
};

// A database statement or transaction failed.
class EDatabaseError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// Text that should hold a decimal number does not.
class EConvertError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// A file could not be created, opened or written.
class EInOutError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// One file could not be read, made or saved. Text() is the reason with the file in brackets.
class EFileError : public EInOutError {
public:
    EFileError(const QString& file, const QString& reason)
        : EInOutError(file.isEmpty() ? reason : reason + QStringLiteral("（") + file + QStringLiteral("）")),
          m_file(file),
          m_reason(reason)
    {
    }
    QString File() const { return m_file; }
    QString Reason() const { return m_reason; }

private:
    QString m_file;
    QString m_reason;
};

// Start-up cannot go on (no database, no log folder).
class EStartupError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};
