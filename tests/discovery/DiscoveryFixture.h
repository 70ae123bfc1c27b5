#pragma once

#include "FakeModule.h"
#include "ModuleNetwork.h"
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

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using discovery::frmMain;
using discovery::NetworkSettings;
using std::chrono::milliseconds;

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
