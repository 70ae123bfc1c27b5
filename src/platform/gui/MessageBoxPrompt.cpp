#include "MessageBoxPrompt.h"

#include "DisplayText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

QMessageBox::StandardButtons ButtonsOf(Prompt::Buttons buttons)
{
    switch (buttons) {
    case Prompt::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompt::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompt::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompt::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(Prompt::Icon icon)
{
    switch (icon) {
    case Prompt::Icon::None:
        return QMessageBox::NoIcon;
    case Prompt::Icon::Information:
        return QMessageBox::Information;
    case Prompt::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompt::Icon::Critical:
        return QMessageBox::Critical;
    case Prompt::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Prompt::Answer AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return Prompt::Answer::Cancel;
    case QMessageBox::Yes:
        return Prompt::Answer::Yes;
    case QMessageBox::No:
        return Prompt::Answer::No;
    default:
        return Prompt::Answer::Ok;
    }
}

} // namespace

Prompt::Answer MessageBoxPrompt::Ask(const Prompt::Message &message)
{
    QMessageBox box(IconOf(message.icon), message.title, WithDisplayLineBreaks(message.text),
                    ButtonsOf(message.buttons), QApplication::activeWindow());
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setAlignment(message.alignment | Qt::AlignVCenter);
    // The close box and Esc answer as the box's escape button (No, Cancel, or the lone Ok).
    return AnswerOf(box.exec());
}

QString MessageBoxPrompt::AskText(const Prompt::Message &message)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), message.title,
                              WithDisplayLineBreaks(message.text), QLineEdit::Normal, {}, &ok);
    return ok ? text : QString();
}

std::optional<QString> MessageBoxPrompt::SaveFileName(const Prompt::SaveRequest &request)
{
    const QString path =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), request.title,
                                     QDir(request.folder).filePath(request.proposal),
                                     request.filter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
