#pragma once

#include <QString>

// The ".0" number pattern of the alarm texts: one decimal, halves away from zero, no
// digit before the point between -1 and 1 (0.5 gives ".5", -0.4 gives "-.4").
QString FormatPointZero(double value);

// A reading as the station shows it: up to 7 significant digits, exactly the text of
// QString::number(value, 'g', 7). Whole readings, the usual case, skip the general
// formatter, which costs more than the rest of a reading's handling.
QString ReadingNumberText(double value);
