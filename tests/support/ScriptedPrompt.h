#pragma once

#include "Prompt.h"

#include <QList>
#include <QStringList>

// Stands in for the message boxes while it lives: records every message and input box and
// answers from two queues; once a queue is empty, with the box's first button (Ok or Yes)
// or, for an input box, Cancel.
class ScriptedPrompt final : public Prompt::Service {
public:
    explicit ScriptedPrompt(QList<Prompt::Answer> answers = {});
    ~ScriptedPrompt() override;
    ScriptedPrompt(const ScriptedPrompt &) = delete;
    ScriptedPrompt &operator=(const ScriptedPrompt &) = delete;

    void Queue(Prompt::Answer answer);
    void QueueText(const QString &text);
    Prompt::Answer Ask(const Prompt::Message &message) override;
    QString AskText(const Prompt::Message &message) override;
    // Save dialogs answer from their own queue (nothing is a cancel); once it is empty,
    // they cancel.
    void QueueSave(std::optional<QString> path);
    std::optional<QString> SaveFileName(const Prompt::SaveRequest &request) override;
    const QList<Prompt::SaveRequest> &SaveRequests() const { return m_saveRequests; }

    const QList<Prompt::Message> &Messages() const { return m_messages; }
    QStringList Texts() const;

private:
    QList<Prompt::Answer> m_answers;
    QStringList m_texts;
    QList<Prompt::Message> m_messages;
    QList<std::optional<QString>> m_savePaths;
    QList<Prompt::SaveRequest> m_saveRequests;
};
