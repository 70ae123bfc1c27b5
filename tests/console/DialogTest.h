#pragma once

#include "ConfigRecord.h"
#include "Polling.h"
#include "ProgramInfo.h"
#include "ScriptedPrompt.h"
#include "TempProgramFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QWidget>

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

    // What the settings file holds, read into a record of its own.
    static ConfigRecord SavedRecord()
    {
        const ConfigRecord inMemory = Config();
        ReadConfiguration();
        const ConfigRecord saved = Config();
        Config() = inMemory;
        return saved;
    }

    // Every caption and label text under the window, for checking fixed texts.
    static QStringList FixedTexts(const QWidget *window);

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

    ScriptedPrompt prompt;
};

inline QStringList DialogTest::FixedTexts(const QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (const QLabel *label : window->findChildren<QLabel *>())
        texts << label->text();
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts << button->text();
    for (const QGroupBox *frame : window->findChildren<QGroupBox *>())
        texts << frame->title();
    return texts;
}
