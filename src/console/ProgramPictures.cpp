#include "ProgramPictures.h"

QPixmap ProgramPicture()
{
    return QPixmap(QStringLiteral(":/pictures/vantrel.png"));
}

QPixmap StationPicture()
{
    return QPixmap(QStringLiteral(":/pictures/station.png"));
}
