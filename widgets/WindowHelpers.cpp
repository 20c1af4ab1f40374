#include "WindowHelpers.h"

#include "Pictures.h"

#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QPoint CentredCorner(const QSize& outer, const QSize& inner, TOverhang overhang)
{
    QPoint corner((outer.width() - inner.width()) / 2, (outer.height() - inner.height()) / 2);
    if (overhang == TOverhang::KeepCorner)
        corner = QPoint(std::max(corner.x(), 0), std::max(corner.y(), 0));
    return corner;
}

void CentrePanel(const QWidget* form, QWidget* panel, TOverhang overhang)
{
    panel->move(CentredCorner(form->size(), panel->size(), overhang));
}

void SetMinimiseOnlyTitleBar(QWidget* window)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

void CentreOnScreen(QWidget* window, const QScreen* screen)
{
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QLabel* NewPictureLabel(const QString& picture, QWidget* parent, const QString& objectName)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setPixmap(QPixmap::fromImage(LoadPicture(picture)));
    label->setScaledContents(true);
    return label;
}

QFont SongFont(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QSize OpeningSize(const QWidget* window)
{
    QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    if (window->layout())
        size = size.expandedTo(window->minimumSizeHint());
    return size.expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
}

namespace {
bool TakesFocus(const QWidget* w, const QWidget* window)
{
    return w && window->isAncestorOf(w) && w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus);
}
}  // namespace

QWidget* FocusFirstField(QWidget* window)
{
    QWidget* field = window->focusWidget();
    if (!TakesFocus(field, window)) {
        field = nullptr;
        for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
            if (TakesFocus(w, window)) {
                field = w;
                break;
            }
    }
    if (field)
        field->setFocus(Qt::TabFocusReason);
    return field;
}
