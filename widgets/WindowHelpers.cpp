#include "WindowHelpers.h"

#include "Pictures.h"

#include <QLabel>
#include <QPixmap>

void CentrePanel(const QWidget* form, QWidget* panel)
{
    panel->move((form->width() - panel->width()) / 2, (form->height() - panel->height()) / 2);
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
