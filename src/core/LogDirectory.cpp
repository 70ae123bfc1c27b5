#include "LogDirectory.h"

QString &LogDirectory()
{
    static QString folder;
    return folder;
}
