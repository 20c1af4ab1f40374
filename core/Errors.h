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

// Start-up cannot go on (no database, no log folder).
class EStartupError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};
