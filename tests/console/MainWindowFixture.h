#pragma once

#include "Clock.h"
#include "DeviceLink.h"
#include "DialogTest.h"
#include "EventsFrame.h"
#include "FakeDevice.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "StatusGridTable.h"
#include "TrendChart.h"
#include "frmMain.h"

#include "StatusList.h"
#include <QPushButton>

#include <initializer_list>
#include <memory>

// Closes the modal window the next exec() puts up and gives its class name in `closed`.
inline void CloseNextModal(QString *closed = nullptr)
{
    QTimer::singleShot(0, [closed] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (closed)
                *closed = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
}

// Saved under the build folder's screenshots/, for a person to look at.
inline bool SaveScreenshot(QWidget &window, const char *name)
{
    const QString folder =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    return QDir().mkpath(folder) &&
           window.grab().save(QDir(folder).filePath(QString::fromLatin1(name)));
}

inline QStringList Strings(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

// The main window in a fresh program folder, with scripted message boxes.
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
        NewWindow();
    }

    // A new window without the splash pause and with a recorded quit. Unless it gets the
    // real dialogs, there is no tray, the log-in box answers `loginAnswer` and the settings
    // dialog does nothing.
    void NewWindow(bool realDialogs = false)
    {
        window.reset();
        window = std::make_unique<frmMain>();
        window->SplashMilliseconds = 0;
        window->QuitProgram = [this] { ++quits; };
        if (realDialogs)
            return;
        window->TrayAvailable = [] { return false; };
        window->RunLogin = [this] {
            ++loginBoxes;
            return loginAnswer;
        };
        window->RunConfiguration = [] {};
    }

    void Load() { window->Form_Load(); }

    // Writes the settings file the next activation reads: defaults, then `edit`.
    void WriteSettings(const std::function<void(ConfigRecord &)> &edit)
    {
        SetupCrypt();
        Config() = ConfigRecord();
        ValidateConfiguration();
        edit(Config());
        ASSERT_TRUE(SaveConfiguration());
    }

    // Every tick polls, a silent device is given up quickly, trending is on.
    static void FastPolling(ConfigRecord &config)
    {
        config.UpdateRate = 5;
        config.TCPTimeOut = 1;
        config.EnableTrending = 1;
    }

    static void SetAdministrator(ConfigRecord &config)
    {
        config.AdminUserName = QStringLiteral("boss");
        config.AdminPassword = QStringLiteral("secret");
    }

    // A server (disabled unless said otherwise, so that no cycle polls it) with named
    // sensors on ports 1 to `sensors`.
    void AddServerWithSensors(int sensors, const QString &ip = QStringLiteral("127.0.0.1"),
                              qint16 enabled = 0)
    {
        ASSERT_TRUE(AddServer(QStringLiteral("Server ") + ip, QStringLiteral("RK730"), ip, {},
                              enabled, {}, {}, 1));
        for (int port = 1; port <= sensors; ++port)
            ASSERT_TRUE(SaveSensorRecord(LastId(QStringLiteral("tblServers")),
                                         QStringLiteral("Sensor %1").arg(port), qint16(port), {},
                                         QStringLiteral("Temperature"), QStringLiteral("90"),
                                         QStringLiteral("50"), QStringLiteral("0")));
    }

    // Message boxes answered from here on from `answers`, then with their first button.
    void Answer(const QList<Prompt::Answer> &answers)
    {
        prompt.reset();
        prompt = std::make_unique<ScriptedPrompt>(answers);
    }

    // A sensor grid's data rows, each as its cells joined by "|" or as one column's text.
    static QStringList GridRows(const StatusGridTable &grid, int column = -1)
    {
        QStringList rows;
        for (int r = 1; r < grid.RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < StatusColumn::Count; ++c)
                if (column < 0 || c == column)
                    cells << grid.Cell(r, c);
            rows << cells.join(u'|');
        }
        return rows;
    }

    QStringList BoardLines() const
    {
        QStringList lines;
        const QAbstractItemModel &shown = *window->lstStatus->model();
        for (int i = 0; i < shown.rowCount(); ++i)
            lines << shown.index(i, 0).data().toString();
        return lines;
    }

    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> window;
    int quits = 0;
    int loginBoxes = 0;
    bool loginAnswer = false;
};
