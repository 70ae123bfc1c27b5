#pragma once

#include <QString>

// The configured folder for the second copy of the record files; blank for none. Set
// from the settings at the main window's activation and by the folder picker.
QString &LogDirectory();
