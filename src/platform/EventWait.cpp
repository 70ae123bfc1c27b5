#include "EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>

void YieldToEventLoop()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
