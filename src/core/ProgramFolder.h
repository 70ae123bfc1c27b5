#pragma once

#include <QString>

// The folder holding the settings file, the database, the record files and the mail
// logs: the executable's folder, or VANTREL_HOME where the installed folder is
// read-only. Tests point it at a temporary folder.
QString ProgramFolder();
QString ProgramFile(const QString &name);
void SetProgramFolder(const QString &folder);
