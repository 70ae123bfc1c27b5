#pragma once

#include <QBrush>
#include <QList>
#include <QProxyStyle>
#include <QRect>

// The classic look for the main window's progress bar, which moves ten times a second
// through every device wait. Its sunken frame is drawn as filled edges and its chunks in
// one fill, the same pixels as the classic style's lines and per-chunk fills at a fraction
// of their cost; all else is the classic style.
class ClassicProgressStyle final : public QProxyStyle {
    Q_OBJECT

public:
    ClassicProgressStyle();

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    void DrawGroove(const QStyleOption *option, QPainter *painter) const;
    void DrawChunks(const QStyleOption *option, QPainter *painter, const QWidget *widget) const;

    // While the classic style lays out the chunks, where they fall and in what colour.
    mutable bool m_collecting = false;
    mutable QList<QRect> m_chunks;
    mutable int m_lowestSpaced = 0; // the height up to which a chunk has no free rows
    mutable QBrush m_chunkBrush;
};
