#include "ui/main/EventPump.h"

#include <QCoreApplication>

void EventPump::run() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
