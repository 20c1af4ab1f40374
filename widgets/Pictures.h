#pragma once
#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QString>

// Decodes JPEG bytes with libjpeg into a Format_RGB32 image. A null image, with the reason in
// error when given, for bytes that are not a JPEG picture.
QImage DecodeJpeg(const QByteArray& bytes, QString* error = nullptr);

// One of the program's own pictures ("login", "main", "password", "about"); null when missing.
QImage LoadPicture(const QString& name);

// The icon of a main-window action: a coloured tile carrying one character.
QIcon ActionIcon(const QString& glyph, const QColor& colour);

// The program's own icon, for its windows.
QIcon ProgramIcon();
