#pragma once

#include "ConfigRecord.h"
#include "LogDirectory.h"
#include "ProgramInfo.h"
#include "ScriptedPrompt.h"
#include "TempProgramFolder.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// A program folder of its own, a fresh settings record and scripted message boxes.
class DialogTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Config() = ConfigRecord();
        LogDirectory().clear();
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

    ScriptedPrompt prompt;
};
