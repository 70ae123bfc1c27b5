#include "ClassicProgressStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace {
// The rows a classic chunk leaves free at its top.
constexpr int kChunkSpace = 2;
} // namespace

ClassicProgressStyle::ClassicProgressStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")))
{
}

void ClassicProgressStyle::drawControl(ControlElement element, const QStyleOption *option,
                                       QPainter *painter, const QWidget *widget) const
{
    // Scaled, the classic lines are drawn on device pixels of their own: left to it.
    if (painter->device()->devicePixelRatio() == 1) {
        if (element == CE_ProgressBarGroove) {
            DrawGroove(option, painter);
            return;
        }
        const auto *bar = qstyleoption_cast<const QStyleOptionProgressBar *>(option);
        // Only the plain left-to-right bar with a range: the others' chunks are drawn turned,
        // mirrored or moving.
        if (element == CE_ProgressBarContents && bar && bar->minimum < bar->maximum &&
            (bar->state & State_Horizontal) && !bar->invertedAppearance &&
            bar->direction == Qt::LeftToRight) {
            DrawChunks(option, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ClassicProgressStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                         QPainter *painter, const QWidget *widget) const
{
    // The classic style hands its chunks over without the bar's orientation, and so fills
    // each as if standing: rows left free at its top, unless it is too low for them.
    // Any other chunk is left to it.
    if (element != PE_IndicatorProgressChunk || !m_collecting ||
        (option->state & State_Horizontal)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QRect r = option->rect;
    const QRect fill = r.adjusted(0, r.height() <= m_lowestSpaced ? 0 : kChunkSpace, 0, 0);
    // Side by side, as the classic chunks lie, they make one fill.
    if (!m_chunks.isEmpty() && m_chunks.last().top() == fill.top() &&
        m_chunks.last().bottom() == fill.bottom() && m_chunks.last().right() + 1 == fill.left())
        m_chunks.last().setRight(fill.right());
    else
        m_chunks.append(fill);
    m_chunkBrush = option->palette.brush(QPalette::Highlight);
}

void ClassicProgressStyle::DrawGroove(const QStyleOption *option, QPainter *painter) const
{
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

void ClassicProgressStyle::DrawChunks(const QStyleOption *option, QPainter *painter,
                                      const QWidget *widget) const
{
    // The classic style decides where the chunks fall; they are painted here in one go.
    m_chunks.clear();
    m_lowestSpaced = pixelMetric(PM_ProgressBarChunkWidth, option, widget) - kChunkSpace;
    m_collecting = true;
    QProxyStyle::drawControl(CE_ProgressBarContents, option, painter, widget);
    m_collecting = false;
    for (const QRect &chunk : std::as_const(m_chunks))
        painter->fillRect(chunk, m_chunkBrush);
}
