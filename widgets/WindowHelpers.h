#pragma once
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Keeps a work window's main panel centred in it: left and top := (form − panel) div 2.
void CentrePanel(const QWidget* form, QWidget* panel);

// A label that shows one of the program's pictures stretched over its whole area.
QLabel* NewPictureLabel(const QString& picture, QWidget* parent, const QString& objectName);

// The font of the windows' captions and fields: 宋体 at a pixel size.
QFont SongFont(int pixelSize, bool bold = false);
