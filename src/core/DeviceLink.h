#pragma once

#include "SocketControl.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

// The window whose pointer, progress bar and status texts a device wait uses.
enum class AppForm { Main, TreeConfiguration };

// The flags the device waits test and the timer and socket events set. One thread:
// these are the only coordination between a waiting exchange and the events it yields to.
struct DeviceLinkState {
    bool Running = false; // cleared when a close is accepted; every wait gives up then
    AppForm ActiveForm = AppForm::Main;
    bool DataArrived = false;
    qint32 BytesReceived = 0;
    QByteArray LastReply;
    bool WatchDogFired = false;
    qint32 ProgressTicks = 0;
};

DeviceLinkState &LinkState();
void ResetLinkState();

// Lamp colours (Windows colour values).
constexpr qint32 kLampGreen = 65280;
constexpr qint32 kLampRed = 255;
constexpr qint32 kLampGrey = 0xE0E0E0;

// What an exchange drives on a window. Without a window every call does nothing.
class TransportForm {
public:
    virtual ~TransportForm() = default;
    virtual void SetHourglass(bool /*on*/) {}
    // Minimum 0, bar shown.
    virtual void ShowProgress(int /*maximum*/) {}
    virtual int ProgressMaximum() const { return 0; }
    virtual void SetProgressValue(int /*value*/) {}
    virtual void HideProgress() {}
};

// frmMain: its lamp shpGo besides pointer and progress bar.
class TransportMainForm : public TransportForm {
public:
    virtual void SetLampColour(qint32 /*windowsColour*/) {}
};

// The device manager: its result line lblServerError and its name box txtServerName.
class TransportTreeForm : public TransportForm {
public:
    virtual void SetServerErrorText(const QString & /*text*/) {}
    virtual QString ServerNameText() const { return {}; }
};

// The main window's socket control and its two wait timers, with their event handlers.
// Its owner (the main window, or a test) makes one; while it lives it is the program's
// one device link, used by the transport procedures.
class DeviceLink : public QObject {
    Q_OBJECT

public:
    DeviceLink();
    ~DeviceLink() override;

    static DeviceLink *Instance();

    SocketControl &Winsock() { return m_winsock; }
    QTimer &tmrWatchDog() { return m_watchDog; }
    QTimer &tmrTenth() { return m_tenth; }

    // nullptr puts the headless stand-in back.
    void SetMainForm(TransportMainForm *form);
    void SetTreeForm(TransportTreeForm *form);
    TransportMainForm &MainForm() { return *m_mainForm; }
    TransportTreeForm &TreeForm() { return *m_treeForm; }
    TransportForm &Form(AppForm which);

    void tmrWatchDog_Timer();
    void tmrTenth_Timer();
    void Winsock_DataArrival(qint64 bytesTotal);
    void Winsock_Error(int number, const QString &description);

private:
    SocketControl m_winsock;
    QTimer m_watchDog;
    QTimer m_tenth;
    TransportMainForm m_headlessMain;
    TransportTreeForm m_headlessTree;
    TransportMainForm *m_mainForm = &m_headlessMain;
    TransportTreeForm *m_treeForm = &m_headlessTree;
};
