#pragma once

#include "FakeModule.h"
#include "ModuleLink.h"
#include "ProgramInfo.h"
#include "QtPrinters.h"
#include "ScriptedPrompt.h"
#include "frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using discovery::frmMain;
using discovery::NetworkSettings;
using std::chrono::milliseconds;

// The module port of this test process: other processes, other worktrees' runs among
// them, broadcast on loopback too, and must never reach this test's modules.
inline quint16 TestModulePort()
{
    static const quint16 port = [] {
        for (quint32 n = quint32(QCoreApplication::applicationPid());; ++n) {
            const quint16 candidate = quint16(20000 + n % 40000);
            QUdpSocket probe;
            if (probe.bind(QHostAddress(u"127.255.255.255"_s), candidate))
                return candidate;
        }
    }();
    return port;
}

// The program on a loopback network, with its waits at their shortest.
inline NetworkSettings LoopbackNetwork(const QString &broadcast = u"127.255.255.255"_s)
{
    const QHostAddress address(broadcast);
    // Nothing a test sends may leave this machine.
    if (!address.isInSubnet(QHostAddress(u"127.0.0.0"_s), 8))
        qFatal("refused broadcast address %s", qPrintable(broadcast));
    return {address,
            TestModulePort(),
            QHostAddress(u"127.77.0.1"_s),
            {.discoveryWait = milliseconds(300),
             .setupRecordWait = milliseconds(300),
             .restartWait = milliseconds(30),
             .connectLimit = milliseconds(1000),
             .udpSwitchWait = milliseconds(5),
             .identifyPause = milliseconds(1),
             .identifyLimit = milliseconds(300),
             .programLimit = milliseconds(1500)}};
}

// The window as the program opens it, message boxes scripted.
class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProgramInfo::SetTitle(u"QRB IP Setup"_s);
        OpenWindow(LoopbackNetwork());
    }

    void OpenWindow(NetworkSettings network)
    {
        window = std::make_unique<frmMain>(std::move(network));
        window->QuitProgram = [this] { ++quits; };
        window->Form_Load();
        QObject::connect(window->txtDebug, &QLineEdit::textChanged, window.get(),
                         [this](const QString &text) { debugTexts << text; });
    }

    // Listening modules answering in the order made.
    std::vector<std::unique_ptr<FakeModule>> Modules(int count)
    {
        std::vector<std::unique_ptr<FakeModule>> modules;
        for (int k = 0; k < count; ++k) {
            modules.push_back(std::make_unique<FakeModule>());
            modules.back()->replyDelayMs = 40 * k;
            modules.back()->reply[29] = char(k);
            EXPECT_TRUE(modules.back()->Listen(TestModulePort()));
        }
        return modules;
    }

    // The message boxes and input boxes `act` puts up, as "title: text".
    QStringList Shown(const std::function<void()> &act)
    {
        const auto before = prompt.Messages().size();
        act();
        QStringList shown;
        for (const Prompt::Message &message : prompt.Messages().mid(before))
            shown << message.title + u": "_s + message.text;
        return shown;
    }

    QStringList Click(QPushButton *button)
    {
        return Shown([button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    QStringList Trigger(QAction *command)
    {
        return Shown([command] { command->trigger(); });
    }

    void ClickCell(int row, int column)
    {
        QTableWidget *grid = window->Grid;
        const QRect cell = grid->visualRect(grid->model()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // "number|address|MAC" per data row.
    QStringList GridRows() const
    {
        QStringList rows;
        for (int r = 0; r < window->Grid->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 3; ++c) {
                const QTableWidgetItem *item = window->Grid->item(r, c);
                cells << (item ? item->text() : QString());
            }
            rows << cells.join(u'|');
        }
        return rows;
    }

    void TypeOctets(const QStringList &octets)
    {
        for (int k = 0; k < 4; ++k) {
            window->txtIPOctets[k]->clear();
            QTest::keyClicks(window->txtIPOctets[k], octets[k]);
        }
    }

    ScriptedPrompt prompt;
    std::unique_ptr<frmMain> window;
    int quits = 0;
    QStringList debugTexts; // every text txtDebug showed after the window opened, in order
};
