#include "GraphingMain.h"
#include "MessageBoxPrompt.h"
#include "ProgramInfo.h"
#include "frmReportWizard.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ProgramInfo::SetTitle(QStringLiteral("VantrelGraphing"));
    MessageBoxPrompt messageBoxes;
    Prompt::Install(&messageBoxes);
    ResetGraphing();
    frmReportWizard wizard;
    wizard.show();
    const int result = QApplication::exec();
    Prompt::Install(nullptr);
    return result;
}
