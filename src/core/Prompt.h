#pragma once

#include <QString>

#include <optional>

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
    QString title;                           // the program title when empty
    bool input = false;                      // an input box: the answer is a text
    Qt::Alignment alignment = Qt::AlignLeft; // of the text's lines
};

// A save dialog: the chosen file, or nothing when the user cancels. It never asks
// whether to replace an existing file, as every export appends to it.
struct SaveRequest {
    QString title;
    QString folder;
    QString filter;   // "All CSV Files (*.csv)"
    QString proposal; // the file name offered
};

class Service {
public:
    virtual ~Service() = default;
    virtual Answer Ask(const Message &message) = 0;
    // The typed text; empty for Cancel, which the callers treat as an empty answer.
    virtual QString AskText(const Message &message) = 0;
    virtual std::optional<QString> SaveFileName(const SaveRequest &request) = 0;
};

// The window layer installs the real message boxes at start-up; tests install a script.
// Without any, a message is written to the log and answered with its first button.
void Install(Service *service);
// The answer of a box's first button: Ok, or Yes for a question.
Answer FirstButton(Buttons buttons);
Answer Show(const QString &text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
            const QString &title = {}, Qt::Alignment alignment = Qt::AlignLeft);
// An input box with OK and Cancel: the typed text, empty for Cancel.
QString Input(const QString &text, const QString &title = {});
// Without a service there is nobody to choose: a cancel.
std::optional<QString> SaveFileName(const SaveRequest &request);

} // namespace Prompt
