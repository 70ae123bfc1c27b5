#include "frmAbout.h"

#include "ExternalPrograms.h"
#include "FormControls.h"
#include "ProgramInfo.h"
#include "Prompt.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace discovery {

namespace {

QFrame *Line(QWidget *parent, QStringView name)
{
    auto *line = Named(new QFrame(parent), name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    lblTitle = Named(new QLabel(this), u"lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = Named(new QLabel(this), u"lblVersion");
    lblDescription = Named(
        new QLabel(QStringLiteral("Kaltvane Device discovery and addressing application."), this),
        u"lblDescription");
    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), u"cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = Named(new QPushButton(QStringLiteral("&System Info..."), this), u"cmdSysInfo");
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->addWidget(lblTitle, 0, 0, 1, 2);
    grid->addWidget(lblVersion, 1, 0, 1, 2);
    grid->addWidget(Line(this, u"Line1"), 2, 0, 1, 2);
    grid->addWidget(lblDescription, 3, 0, 1, 2);
    grid->addWidget(Line(this, u"Line2"), 4, 0, 1, 2);
    grid->addWidget(cmdOK, 5, 1);
    grid->addWidget(cmdSysInfo, 6, 1);
    grid->setColumnStretch(0, 1);

    setWindowTitle(QStringLiteral("About ") + ProgramInfo::Title());
    lblVersion->setText(ProgramInfo::VersionLine());
    lblTitle->setText(ProgramInfo::Title());
}

void frmAbout::StartSysInfo()
{
    if (!StartSystemInformation())
        Prompt::Show(QStringLiteral("System Information Is Unavailable At This Time"));
}

} // namespace discovery
