#pragma once

#include "ConfigRecord.h"
#include "DeviceLink.h"
#include "Polling.h"
#include "ReplyDecoding.h"
#include "ScriptedPrompt.h"
#include "TempProgramFolder.h"
#include "frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Waits while the event loop runs until `done` holds or `ms` pass; true when it held.
inline bool WaitUntil(const std::function<bool()> &done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Closes the next modal window once it is up (an About box, a real message box).
inline void CloseNextModal()
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            modal->close();
            poll->deleteLater();
        }
    });
    poll->start(10);
}

// The main window in a fresh program folder, with scripted message boxes, no splash
// pause and a recorded quit. The log-in box answers from `loginAnswer`.
class MainWindowFixture : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ResetLinkState();
        ResetPollingState();
        ResetDecodedState();
        Config() = ConfigRecord();
        prompt = std::make_unique<ScriptedPrompt>();
        window = std::make_unique<frmMain>();
        window->SplashMilliseconds = 0;
        window->TrayAvailable = [] { return false; };
        window->QuitProgram = [this] { ++quits; };
        window->RunLogin = [this] {
            ++loginBoxes;
            return loginAnswer;
        };
        window->RunConfiguration = [] {};
    }

    void TearDown() override
    {
        window.reset();
        prompt.reset();
        ResetLinkState();
        ResetPollingState();
        Config() = ConfigRecord();
        TempProgramFolder::TearDown();
    }

    // Writes the settings file the next activation reads: defaults, then `edit`.
    void WriteSettings(const std::function<void(ConfigRecord &)> &edit)
    {
        SetupCrypt();
        Config() = ConfigRecord();
        ValidateConfiguration();
        edit(Config());
        ASSERT_TRUE(SaveConfiguration());
    }

    // A server (disabled unless said otherwise, so that no cycle polls it) with named
    // sensors on ports 1 to `sensors`; gives the server's number.
    qint32 AddServerWithSensors(int sensors, const QString &ip = QStringLiteral("127.0.0.1"),
                                qint16 enabled = 0);

    void Load() { window->Form_Load(); }

    // Message boxes answered from here on from `answers`, then with their first button.
    void Answer(const QList<Prompt::Answer> &answers)
    {
        prompt.reset();
        prompt = std::make_unique<ScriptedPrompt>(answers);
    }

    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> window;
    int quits = 0;
    int loginBoxes = 0;
    bool loginAnswer = false;
};
