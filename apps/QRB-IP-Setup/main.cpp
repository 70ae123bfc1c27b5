#include "MessageBoxPrompt.h"
#include "ModuleSetupProtocol.h"
#include "NetworkSettings.h"
#include "ProgramInfo.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // A close is final only once any wait on the stack has given up; the window then
    // ends the program itself.
    QApplication::setQuitOnLastWindowClosed(false);
    ProgramInfo::SetTitle(QStringLiteral("QRB IP Setup"));
    MessageBoxPrompt messageBoxes;
    Prompt::Install(&messageBoxes);
    discovery::frmMain window({QHostAddress(QHostAddress::Broadcast), discovery::kModulePort,
                               discovery::FirstRunningIPv4Address(),
                               discovery::StandardDurations()});
    window.Form_Load();
    const int result = QApplication::exec();
    Prompt::Install(nullptr);
    return result;
}
