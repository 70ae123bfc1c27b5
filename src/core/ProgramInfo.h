#pragma once

#include <QString>

// Version information fixed when the program is built.
namespace ProgramInfo {
// The program's title, also the title of every message box without one of its own.
// Each companion program's main sets its own; without that it is vantrel's.
QString Title();
void SetTitle(const QString &title);
QString Company();
QString LegalNotice();
QString SupportAddress();
// "4.2.4" for version 4.2.0.4: major, minor and revision; the third number is not shown.
QString VersionNumbers();
// "Version 4.2.4": the version as the splash and About boxes show it.
QString VersionLine();
} // namespace ProgramInfo
