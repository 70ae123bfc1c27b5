#pragma once

#include <QProxyStyle>

// The classic look for the main window's progress bar, which moves ten times a second
// through every device wait. Its sunken frame is drawn as filled edges, the same pixels
// as the classic style's lines at a fraction of their cost; all else is the classic style.
class ClassicProgressStyle final : public QProxyStyle {
    Q_OBJECT

public:
    ClassicProgressStyle();

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
