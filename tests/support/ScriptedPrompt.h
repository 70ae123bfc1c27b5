#pragma once

#include "Prompt.h"

#include <QList>
#include <QStringList>

// Stands in for the message boxes while it lives: records every message and answers
// from a queue; once the queue is empty, with the box's first button (Ok or Yes).
class ScriptedPrompt final : public Prompt::Service {
public:
    explicit ScriptedPrompt(QList<Prompt::Answer> answers = {});
    ~ScriptedPrompt() override;
    ScriptedPrompt(const ScriptedPrompt &) = delete;
    ScriptedPrompt &operator=(const ScriptedPrompt &) = delete;

    void Queue(Prompt::Answer answer);
    Prompt::Answer Ask(const Prompt::Message &message) override;

    const QList<Prompt::Message> &Messages() const { return m_messages; }
    QStringList Texts() const;

private:
    QList<Prompt::Answer> m_answers;
    QList<Prompt::Message> m_messages;
};
