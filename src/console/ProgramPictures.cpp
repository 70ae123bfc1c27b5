#include "ProgramPictures.h"

QString ProgramPicturePath()
{
    return QStringLiteral(":/pictures/vantrel.png");
}

QPixmap ProgramPicture()
{
    return QPixmap(ProgramPicturePath());
}

QPixmap StationPicture()
{
    return QPixmap(QStringLiteral(":/pictures/station.png"));
}
