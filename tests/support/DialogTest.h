#pragma once

#include "ConfigRecord.h"
#include "Polling.h"
#include "ProgramInfo.h"
#include "ScriptedPrompt.h"
#include "StatusGrid.h"
#include "TempProgramFolder.h"
#include "WindowsColour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <ostream>

namespace Prompt {
inline bool operator==(const Message &a, const Message &b)
{
    return a.text == b.text && a.buttons == b.buttons && a.icon == b.icon && a.title == b.title;
}

inline void PrintTo(const Message &message, std::ostream *out)
{
    *out << '"' << message.text.toStdString() << "\" buttons " << int(message.buttons) << " icon "
         << int(message.icon) << " title \"" << message.title.toStdString() << '"';
}
} // namespace Prompt

// A program folder of its own, a fresh settings record and scripted message boxes.
class DialogTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Config() = ConfigRecord();
        ResetPollingState();
        SetupCrypt();
    }

    QByteArray SettingsFileBytes() const
    {
        QFile file(File(QStringLiteral("VantrelConfig.dat")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A folder where the settings file should be: saving it fails.
    void BlockSettingsFile() const
    {
        QFile::remove(File(QStringLiteral("VantrelConfig.dat")));
        ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("VantrelConfig.dat")));
    }

    // What the settings file holds, read into a record of its own.
    static ConfigRecord SavedRecord()
    {
        const ConfigRecord inMemory = Config();
        ReadConfiguration();
        const ConfigRecord saved = Config();
        Config() = inMemory;
        return saved;
    }

    // Each line of `texts` must be a caption, label, tip, list or tab row under the window;
    // a list or tab row is one text, its entries in order joined by "|".
    static void ExpectTexts(const QWidget *window, const char *texts);

    // The message boxes `act` puts up.
    QList<Prompt::Message> Shown(const std::function<void()> &act)
    {
        const auto before = prompt.Messages().size();
        act();
        return prompt.Messages().mid(before);
    }

    QList<Prompt::Message> Click(QWidget *button)
    {
        return Shown([button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    // Runs `act` on the modal window that the next exec() puts up.
    static void OnNextModal(std::function<void(QWidget *)> act)
    {
        QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
    }

    static Prompt::Message Box(const QString &text, Prompt::Buttons buttons = Prompt::Buttons::Ok,
                               Prompt::Icon icon = Prompt::Icon::None, const QString &title = {})
    {
        return {text, buttons, icon, title.isEmpty() ? ProgramInfo::Title() : title};
    }

    static void Retype(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

    static bool IsYellow(const QLineEdit *box)
    {
        return box->palette().color(QPalette::Base) == WindowsColour(kColourYellow);
    }

    // Marked yellow and focused for the next try.
    static void ExpectMarked(const QLineEdit *box)
    {
        EXPECT_TRUE(IsYellow(box)) << box->objectName().toStdString();
        EXPECT_EQ(box->window()->focusWidget(), box) << box->objectName().toStdString();
    }

    ScriptedPrompt prompt;
};

inline void DialogTest::ExpectTexts(const QWidget *window, const char *texts)
{
    QStringList shown{window->windowTitle()};
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        QStringList row;
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            shown << label->text();
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
            shown << button->text();
        else if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
            shown << frame->title();
        else if (const auto *list = qobject_cast<const QComboBox *>(widget)) {
            for (int i = 0; i < list->count(); ++i)
                row << list->itemText(i);
        } else if (const auto *tabs = qobject_cast<const QTabWidget *>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                row << tabs->tabText(i);
        }
        shown << row.join(u'|') << widget->toolTip();
    }
    for (const QString &text : QString::fromUtf8(texts).split(u'\n'))
        EXPECT_TRUE(shown.contains(text)) << text.toStdString();
}
