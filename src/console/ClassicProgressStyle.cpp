#include "ClassicProgressStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

ClassicProgressStyle::ClassicProgressStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")))
{
}

void ClassicProgressStyle::drawControl(ControlElement element, const QStyleOption *option,
                                       QPainter *painter, const QWidget *widget) const
{
    // Scaled, the classic lines are drawn on device pixels of their own: left to it.
    if (element != CE_ProgressBarGroove || painter->device()->devicePixelRatio() != 1) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect r = option->rect;
    const QPalette &colours = option->palette;
    const QBrush &fill = colours.brush(QPalette::Window);
    // A shade the same as the fill gives way to the next darker or lighter one.
    const QColor shade =
        fill.color() == colours.dark().color() ? colours.shadow().color() : colours.dark().color();
    const QColor light = fill.color() == colours.light().color() ? colours.midlight().color()
                                                                 : colours.light().color();
    painter->fillRect(QRect(r.x(), r.y(), r.width() - 1, 1), shade);
    painter->fillRect(QRect(r.x(), r.y(), 1, r.height() - 1), shade);
    painter->fillRect(QRect(r.x(), r.bottom(), r.width(), 1), light);
    painter->fillRect(QRect(r.right(), r.y(), 1, r.height() - 1), light);
    painter->fillRect(r.adjusted(1, 1, -1, -1), fill);
}
