#include "frmAbout.h"

#include "DialogButtons.h"
#include "DisplayText.h"
#include "FormLayout.h"
#include "ProgramInfo.h"
#include "ProgramPictures.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(
        ProgramPicture().scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    WrapLabel(lblDescription);
    lblDescription->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Esc closes the box through reject(), just as the OK button does through accept().
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    NoDefaultButtons(this, cmdOK);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(16);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDescription, 2, 1);
    grid->addWidget(cmdOK, 3, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);

    setWindowTitle(QStringLiteral("About ") + ProgramInfo::Title());
    lblVersion->setText(ProgramInfo::VersionLine());
    lblTitle->setText(ProgramInfo::Title());
    const QString description = ProgramInfo::LegalNotice() + QStringLiteral("\r\r") +
                                QStringLiteral("For technical support email:\r") +
                                ProgramInfo::SupportAddress();
    lblDescription->setText(WithDisplayLineBreaks(description));

    setMinimumWidth(420);
    adjustSize();
    if (const QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}
