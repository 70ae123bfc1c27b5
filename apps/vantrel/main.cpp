#include "MessageBoxPrompt.h"
#include "SensorRecordFiles.h"
#include "frmMain.h"
#include "frmTreeConfiguration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    RaiseOpenFileLimit();
    QApplication app(argc, argv);
    // The window hides into the tray, and a close is only final once the guard accepts it.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxPrompt messageBoxes;
    Prompt::Install(&messageBoxes);
    frmMain window;
    window.RunDeviceManager = [&window] { RunDeviceManager(&window); };
    window.Form_Load();
    const int result = QApplication::exec();
    Prompt::Install(nullptr);
    return result;
}
