#include "ScriptedPrompt.h"

bool Prompt::operator==(const Message &a, const Message &b)
{
    return a.text == b.text && a.buttons == b.buttons && a.icon == b.icon && a.title == b.title;
}

void Prompt::PrintTo(const Message &message, std::ostream *out)
{
    *out << '"' << message.text.toStdString() << "\" buttons " << int(message.buttons) << " icon "
         << int(message.icon) << " title \"" << message.title.toStdString() << '"';
}

ScriptedPrompt::ScriptedPrompt()
{
    Prompt::Install(this);
}

ScriptedPrompt::~ScriptedPrompt()
{
    Prompt::Install(nullptr);
}

QStringList ScriptedPrompt::Texts() const
{
    QStringList texts;
    for (const Prompt::Message &message : m_messages)
        texts << message.text;
    return texts;
}

Prompt::Answer ScriptedPrompt::Ask(const Prompt::Message &message)
{
    m_messages.append(message);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    switch (message.buttons) {
    case Prompt::Buttons::YesNo:
    case Prompt::Buttons::YesNoCancel:
        return Prompt::Answer::Yes;
    default:
        return Prompt::Answer::Ok;
    }
}
