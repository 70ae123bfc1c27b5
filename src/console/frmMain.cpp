#include "frmMain.h"

#include "ProgramInfo.h"

#include <QListWidget>
#include <QVBoxLayout>

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProgramInfo::Title() + QStringLiteral(" Rev ") + ProgramInfo::VersionNumbers());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    lstStatus = new QListWidget(central);
    lstStatus->setObjectName(QStringLiteral("lstStatus"));
    layout->addWidget(lstStatus);
    setCentralWidget(central);
    resize(800, 500);

    InstallStatusBoard(this);
}

frmMain::~frmMain()
{
    if (InstalledStatusBoard() == this)
        InstallStatusBoard(nullptr);
}

int frmMain::LineCount() const { return lstStatus->count(); }
QString frmMain::Line(int index) const { return lstStatus->item(index)->text(); }
void frmMain::ReplaceLine(int index, const QString &text) { lstStatus->item(index)->setText(text); }
void frmMain::RemoveLine(int index) { delete lstStatus->takeItem(index); }
void frmMain::AppendLine(const QString &text) { lstStatus->addItem(text); }
void frmMain::Clear() { lstStatus->clear(); }
