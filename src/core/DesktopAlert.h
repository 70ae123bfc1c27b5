#pragma once

#include <QString>

// The desktop pop-up as the core sets it up and raises it; the window layer installs
// the real one. Colours are Windows colour values.
class DesktopAlert {
public:
    virtual ~DesktopAlert() = default;
    virtual void SetBackColour(int colour) = 0;
    virtual void SetTitleColour(int colour) = 0;
    virtual void SetTextColour(int colour) = 0;
    virtual void SetPicture(const QString &path) = 0;
    virtual void SetSoundFile(const QString &path) = 0;
    virtual void SetDisplayTime(int milliseconds) = 0;
    virtual void Show(const QString &text) = 0;
};

void InstallDesktopAlert(DesktopAlert *alert);
DesktopAlert *InstalledDesktopAlert();
