#pragma once
#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

class QLabel;
class QScreen;
class QWidget;

// w with name as its object name, as a window names its controls.
template <class W>
W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// What becomes of something larger than the room it is centred in: it overhangs both sides
// alike, or its top-left corner stays in view.
enum class TOverhang { BothSides, KeepCorner };

// The top-left corner that centres inner in outer: (outer − inner) div 2, truncated toward zero.
QPoint CentredCorner(const QSize& outer, const QSize& inner, TOverhang overhang = TOverhang::BothSides);

// Keeps a work window's main panel centred in it: left and top := (form − panel) div 2.
void CentrePanel(const QWidget* form, QWidget* panel, TOverhang overhang = TOverhang::BothSides);

// Gives a window the title bar of the system menu and the minimise box only (no maximise box;
// the close box stays, as closing stays on the system menu).
void SetMinimiseOnlyTitleBar(QWidget* window);

// Moves a window, frame and all, to the middle of the screen's work area (none: left alone).
void CentreOnScreen(QWidget* window, const QScreen* screen);

// A label that shows one of the program's pictures stretched over its whole area.
QLabel* NewPictureLabel(const QString& picture, QWidget* parent, const QString& objectName);

// The font of the windows' captions and fields: 宋体 at a pixel size.
QFont SongFont(int pixelSize, bool bold = false);

// The client size a window comes up with: the size it gave itself (or, without one, the size
// its layout asks for), never below what its layout needs nor outside its own limits. A window
// without a layout has no size hint: adjustSize() would shrink it to nothing.
QSize OpeningSize(const QWidget* window);

// Gives the focus to the field the window chose when it was shown, or else to the first
// widget of its tab order that can take it (enabled, visible, a tab stop), as a form does.
// The widget focused; nullptr when none can take it.
QWidget* FocusFirstField(QWidget* window);
