#pragma once

#include "Prompt.h"

#include <QList>

// Answers every message with its first button and keeps the messages; installed while
// it lives.
class PromptRecorder final : public Prompt::Service {
public:
    PromptRecorder() { Prompt::Install(this); }
    ~PromptRecorder() override { Prompt::Install(nullptr); }

    Prompt::Answer Ask(const Prompt::Message &message) override
    {
        messages.append(message);
        switch (message.buttons) {
        case Prompt::Buttons::YesNo:
        case Prompt::Buttons::YesNoCancel:
            return Prompt::Answer::Yes;
        default:
            return Prompt::Answer::Ok;
        }
    }

    QList<Prompt::Message> messages;
};
