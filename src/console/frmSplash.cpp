#include "frmSplash.h"

#include "EventWait.h"
#include "FormLayout.h"
#include "ProgramInfo.h"
#include "ProgramPictures.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel *NamedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

void SetPointSize(QLabel *label, int size, bool bold)
{
    QFont font = label->font();
    font.setPointSize(size);
    font.setBold(bold);
    label->setFont(font);
}

} // namespace

frmSplash::frmSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameStyle(QFrame::Box | QFrame::Raised);
    Frame1->setLineWidth(2);
    Frame1->installEventFilter(this);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(Frame1);

    imgLogo = NamedLabel("imgLogo", Frame1);
    imgLogo->setPixmap(ProgramPicture());
    Image2 = NamedLabel("Image2", Frame1);
    Image2->setPixmap(StationPicture());
    lblCompanyProduct = NamedLabel("lblCompanyProduct", Frame1);
    SetPointSize(lblCompanyProduct, 12, true);
    lblProductName = NamedLabel("lblProductName", Frame1);
    SetPointSize(lblProductName, 22, true);
    lblVersion = NamedLabel("lblVersion", Frame1);
    SetPointSize(lblVersion, 11, false);
    lblCompany = NamedLabel("lblCompany", Frame1);
    lblCopyright = NamedLabel("lblCopyright", Frame1);
    WrapLabel(lblCopyright);
    for (QLabel *right : {lblCompanyProduct, lblProductName, lblVersion, lblCompany, lblCopyright})
        right->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *grid = new QGridLayout(Frame1);
    grid->setContentsMargins(18, 18, 18, 18);
    grid->addWidget(imgLogo, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblCompanyProduct, 0, 1);
    grid->addWidget(lblProductName, 1, 1);
    grid->addWidget(lblVersion, 2, 1);
    grid->addWidget(Image2, 4, 0, 2, 1, Qt::AlignBottom);
    grid->addWidget(lblCompany, 4, 1);
    grid->addWidget(lblCopyright, 5, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    lblCompany->setText(ProgramInfo::Company());
    lblVersion->setText(ProgramInfo::VersionLine());
    lblProductName->setText(ProgramInfo::Title());
    lblCompanyProduct->setText(QStringLiteral("Zarvo"));
    lblCopyright->setText(ProgramInfo::LegalNotice());

    setFixedSize(480, 280);
}

void frmSplash::CloseAfter(int milliseconds)
{
    bool timeUp = false;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [&timeUp] { timeUp = true; });
    timer.start(milliseconds);
    while (isVisible() && !timeUp)
        YieldToEventLoop();
    close();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    close();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Frame1) {
        // The press is taken too, so the release comes back to the frame.
        if (event->type() == QEvent::MouseButtonPress)
            return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
