#include "Prompt.h"

#include "ProgramInfo.h"

#include <QtGlobal>

namespace {
Prompt::Service *g_service = nullptr;
}

void Prompt::Install(Service *service)
{
    g_service = service;
}

Prompt::Answer Prompt::Show(const QString &text, Buttons buttons, Icon icon, const QString &title,
                            Qt::Alignment alignment)
{
    const Message message{text,  buttons,  icon, title.isEmpty() ? ProgramInfo::Title() : title,
                          false, alignment};
    if (g_service)
        return g_service->Ask(message);
    qWarning("%s: %s", qPrintable(message.title), qPrintable(text));
    return FirstButton(buttons);
}

QString Prompt::Input(const QString &text, const QString &title)
{
    const Message message{text, Buttons::OkCancel, Icon::None,
                          title.isEmpty() ? ProgramInfo::Title() : title, true};
    if (g_service)
        return g_service->AskText(message);
    qWarning("%s: %s", qPrintable(message.title), qPrintable(text));
    return {};
}

Prompt::Answer Prompt::FirstButton(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    default:
        return Answer::Ok;
    }
}

std::optional<QString> Prompt::SaveFileName(const SaveRequest &request)
{
    if (g_service)
        return g_service->SaveFileName(request);
    qWarning("%s: no one to choose a file", qPrintable(request.title));
    return std::nullopt;
}
