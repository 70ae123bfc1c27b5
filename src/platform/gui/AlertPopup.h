#pragma once

#include "DesktopAlert.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QSoundEffect;
class QTimer;

// The desktop pop-up: a frameless, always-on-top box in the corner of the screen with
// a picture and the alert text, a sound, and gone by itself after its display time.
class AlertPopup final : public QWidget, public DesktopAlert {
    Q_OBJECT

public:
    explicit AlertPopup(QWidget *parent = nullptr);
    ~AlertPopup() override;

    void SetBackColour(int colour) override;
    void SetTitleColour(int colour) override;
    void SetTextColour(int colour) override;
    void SetPicture(const QString &path) override;
    void SetSoundFile(const QString &path) override;
    void SetDisplayTime(int milliseconds) override;
    void Show(const QString &text) override;

    QString Text() const;
    QString SoundFile() const { return m_soundFile; }

private:
    void ApplyColours();

    QLabel *m_picture = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_text = nullptr;
    QTimer *m_hideTimer = nullptr;
    QSoundEffect *m_sound = nullptr;
    QString m_soundFile;
    int m_backColour = 0xFFFFFF;
    int m_titleColour = 0;
    int m_textColour = 0;
};
