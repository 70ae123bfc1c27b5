#include "ScriptedPrompt.h"

ScriptedPrompt::ScriptedPrompt(QList<Prompt::Answer> answers) : m_answers(std::move(answers))
{
    Prompt::Install(this);
}

ScriptedPrompt::~ScriptedPrompt()
{
    Prompt::Install(nullptr);
}

void ScriptedPrompt::Queue(Prompt::Answer answer)
{
    m_answers.append(answer);
}

void ScriptedPrompt::QueueText(const QString &text)
{
    m_texts.append(text);
}

QString ScriptedPrompt::AskText(const Prompt::Message &message)
{
    m_messages.append(message);
    return m_texts.isEmpty() ? QString() : m_texts.takeFirst();
}

Prompt::Answer ScriptedPrompt::Ask(const Prompt::Message &message)
{
    m_messages.append(message);
    return m_answers.isEmpty() ? Prompt::FirstButton(message.buttons) : m_answers.takeFirst();
}

QStringList ScriptedPrompt::Texts() const
{
    QStringList texts;
    for (const Prompt::Message &message : m_messages)
        texts << message.text;
    return texts;
}

void ScriptedPrompt::QueueSave(std::optional<QString> path)
{
    m_savePaths.append(std::move(path));
}

std::optional<QString> ScriptedPrompt::SaveFileName(const Prompt::SaveRequest &request)
{
    m_saveRequests.append(request);
    return m_savePaths.isEmpty() ? std::nullopt : m_savePaths.takeFirst();
}
