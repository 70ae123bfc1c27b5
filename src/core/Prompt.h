#pragma once

#include <QString>

// Every message box and question of the program goes through here, so the core can
// ask without a window and tests can script the answers and read the texts.
namespace Prompt {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Answer { Ok, Cancel, Yes, No };

struct Message {
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QString title; // the program title when empty
};

class Service {
public:
    virtual ~Service() = default;
    virtual Answer Ask(const Message &message) = 0;
};

// The window layer installs the real message boxes at start-up; tests install a script.
// Without any, a message is written to the log and answered with its first button.
void Install(Service *service);
// The answer of a box's first button: Ok, or Yes for a question.
Answer FirstButton(Buttons buttons);
Answer Show(const QString &text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
            const QString &title = {});

} // namespace Prompt
