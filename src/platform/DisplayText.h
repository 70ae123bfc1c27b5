#pragma once

#include <QString>

// Texts of this system break lines with a lone carriage return, which labels and message
// boxes do not break on; this gives the same text with "\n" breaks, for display only.
QString WithDisplayLineBreaks(const QString &text);
