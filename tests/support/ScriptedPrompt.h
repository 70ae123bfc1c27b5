#pragma once

#include "Prompt.h"

#include <QList>
#include <QQueue>

#include <ostream>

namespace Prompt {
bool operator==(const Message &a, const Message &b);
void PrintTo(const Message &message, std::ostream *out);
} // namespace Prompt

// Answers every message box from a queue (the first button once the queue is empty) and
// keeps every message shown. Installed for its lifetime.
class ScriptedPrompt : public Prompt::Service {
public:
    ScriptedPrompt();
    ~ScriptedPrompt() override;
    ScriptedPrompt(const ScriptedPrompt &) = delete;
    ScriptedPrompt &operator=(const ScriptedPrompt &) = delete;

    void Queue(Prompt::Answer answer) { m_answers.enqueue(answer); }
    const QList<Prompt::Message> &Messages() const { return m_messages; }
    QStringList Texts() const;

    Prompt::Answer Ask(const Prompt::Message &message) override;

private:
    QQueue<Prompt::Answer> m_answers;
    QList<Prompt::Message> m_messages;
};
