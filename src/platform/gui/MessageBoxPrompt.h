#pragma once

#include "Prompt.h"

// The real message boxes: the program installs one at start-up.
class MessageBoxPrompt final : public Prompt::Service {
public:
    Prompt::Answer Ask(const Prompt::Message &message) override;
    QString AskText(const Prompt::Message &message) override;
    std::optional<QString> SaveFileName(const Prompt::SaveRequest &request) override;
};
