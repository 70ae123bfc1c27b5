#pragma once

#include <QPixmap>

// The program's own pictures, built in as resources: the program icon (also the logo of
// the splash box) and the station picture of the splash box.
QPixmap ProgramPicture();
// Where the program icon is, for components that load a picture by path.
QString ProgramPicturePath();
QPixmap StationPicture();
