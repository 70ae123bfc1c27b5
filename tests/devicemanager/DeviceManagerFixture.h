#pragma once

#include "DeviceLinkFixture.h"
#include "FakeDevice.h"
#include "ScriptedPrompt.h"
#include "ServerDatabase.h"
#include "frmTreeConfiguration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

// The device manager screen shown over a device link in a fresh program folder, with
// scripted message boxes and the shortest reply wait.
class DeviceManagerFixture : public DeviceLinkFixture {
protected:
    void SetUp() override
    {
        DeviceLinkFixture::SetUp();
        LinkState().ActiveForm = AppForm::TreeConfiguration;
        prompt = std::make_unique<ScriptedPrompt>();
    }

    void TearDown() override
    {
        screen.reset();
        prompt.reset();
        DeviceLinkFixture::TearDown();
    }

    void Open()
    {
        screen = std::make_unique<frmTreeConfiguration>();
        screen->show();
    }

    // Message boxes answered from here on from `answers`, then with their first button.
    void Answer(const QList<Prompt::Answer> &answers)
    {
        prompt.reset();
        prompt = std::make_unique<ScriptedPrompt>(answers);
    }

    QStringList Messages() const { return prompt->Texts(); }

    qint32 Add(const QString &name, const QString &ip, qint16 comm = -1, const QString &email = {})
    {
        EXPECT_TRUE(AddServer(name, QStringLiteral("stored model"), ip, QStringLiteral("notes"), 1,
                              QStringLiteral("pw"), email, comm));
        return LastId(QStringLiteral("tblServers"));
    }

    // A listening fake whose name page holds `name` (page 1 for family 3, else page 2).
    std::unique_ptr<FakeDevice> Device(qint16 family = 5, qint16 subModel = 7, qint16 revision = 25,
                                       const QByteArray &name = "Lab")
    {
        auto device = std::make_unique<FakeDevice>();
        EXPECT_TRUE(device->Listen());
        device->family = family;
        device->subModel = subModel;
        device->revision = revision;
        const int page = family == 3 ? 1 : 2;
        device->pages[page].replace(8, 20, name.leftJustified(20, ' ', true));
        return device;
    }

    QTreeWidgetItem *Node(int index) const
    {
        QTreeWidgetItem *root = screen->ServerTree->topLevelItem(0);
        return index == 1 ? root : root->child(index - 2);
    }

    QStringList NodeTexts() const
    {
        QStringList texts{Node(1)->text(0)};
        for (int i = 0; i < Node(1)->childCount(); ++i)
            texts << Node(1)->child(i)->text(0);
        return texts;
    }

    void Click(QTreeWidgetItem *node)
    {
        const QRect rect = screen->ServerTree->visualItemRect(node);
        QTest::mouseClick(screen->ServerTree->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void RightClick(QTreeWidgetItem *node)
    {
        const QRect rect = screen->ServerTree->visualItemRect(node);
        QTest::mousePress(screen->ServerTree->viewport(), Qt::RightButton, {}, rect.center());
    }

    // Loads the server of tree node `index` as "Edit Server" does.
    void Edit(int index)
    {
        Click(Node(index));
        screen->mnuEditServer->trigger();
    }

    // Shown beside the tree with its top edge level with the tree's.
    bool LevelWithTree(const QWidget *frame) const
    {
        screen->layout()->activate();
        const QPoint tree = screen->ServerTree->mapTo(screen.get(), QPoint());
        const QPoint at = frame->mapTo(screen.get(), QPoint());
        return frame->isVisible() && at.y() == tree.y() &&
               at.x() > tree.x() + screen->ServerTree->width();
    }

    static QRgb TextColour(const QLabel *label)
    {
        return label->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF;
    }

    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmTreeConfiguration> screen;
};
