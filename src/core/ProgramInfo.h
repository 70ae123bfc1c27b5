#pragma once

#include <QString>

// Version information fixed when the program is built.
namespace ProgramInfo {
// Each program's main sets its own title once at start; until then it is the station's.
void SetTitle(const QString &title);
QString Title();
QString Company();
QString LegalNotice();
QString SupportAddress();
// "4.2.4" for version 4.2.0.4: major, minor and revision; the third number is not shown.
QString VersionNumbers();
// "Version 4.2.4": the version as the splash and About boxes show it.
QString VersionLine();
} // namespace ProgramInfo
