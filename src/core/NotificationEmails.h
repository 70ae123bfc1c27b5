#pragma once

#include <QString>
#include <QtGlobal>

// The station's e-mails. Error texts are written only on the paths that say so; callers
// pass them in empty.

// To the administrator, once a close of the main window has been accepted.
void SendShutdownEmail();
// The daily "up and running" e-mail; true once it was attempted, sent or not.
bool SendSytemOKEmail();
// A free text to the administrator; true when sent.
bool SendTextEmail(const QString &messageText, QString &errorText);
// The test message to the given recipients; true when sent.
bool SendTestEmail(const QString &recipients, QString &errorText);
