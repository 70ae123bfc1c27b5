#pragma once

#include <QString>

// The ".0" number pattern of the alarm texts: one decimal, halves away from zero, no
// digit before the point between -1 and 1 (0.5 gives ".5", -0.4 gives "-.4").
QString FormatPointZero(double value);
