#include "frmLogin.h"

#include "ConfigRecord.h"
#include "DialogButtons.h"
#include "FormControls.h"
#include "Prompt.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmLogin::frmLogin(bool &loginSucceeded, QWidget *parent)
    : QDialog(parent), m_loginSucceeded(loginSucceeded)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));

    txtUserName = Named(new QLineEdit(this), u"txtUserName");
    txtPassword = Named(new QLineEdit(this), u"txtPassword");
    HideAsStars(txtPassword);

    lblLabels[0] = Named(new QLabel(QStringLiteral("&User Name:"), this), u"lblLabels(0)");
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1] = Named(new QLabel(QStringLiteral("&Password:"), this), u"lblLabels(1)");
    lblLabels[1]->setBuddy(txtPassword);

    cmdOK = Named(new QPushButton(QStringLiteral("OK"), this), u"cmdOK");
    cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), u"cmdCancel");

    auto *layout = new QGridLayout(this);
    layout->addWidget(lblLabels[0], 0, 0);
    layout->addWidget(txtUserName, 0, 1);
    layout->addWidget(lblLabels[1], 1, 0);
    layout->addWidget(txtPassword, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 2, 0, 1, 2);

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
    NoDefaultButtons(this, cmdOK);
}

void frmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Activate();
}

// Esc is the Cancel button; the close box (QDialog::reject) leaves the flag alone.
void frmLogin::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmLogin::Activate()
{
    txtUserName->clear();
    txtPassword->clear();
    txtUserName->setFocus();
}

void frmLogin::cmdOK_Click()
{
    const bool passwordMatches = txtPassword->text() == ConfigText(Config().AdminPassword);
    const bool userNameMatches = txtUserName->text() == ConfigText(Config().AdminUserName);
    if (passwordMatches && userNameMatches) {
        m_loginSucceeded = true;
        accept();
        return;
    }
    const QString title = QStringLiteral("Login");
    if (!passwordMatches) {
        Prompt::Show(QStringLiteral("Invalid Password, try again!"), Prompt::Buttons::Ok,
                     Prompt::Icon::None, title);
        RetryIn(txtPassword);
    } else {
        Prompt::Show(QStringLiteral("Invalid Username, try again!"), Prompt::Buttons::Ok,
                     Prompt::Icon::None, title);
        RetryIn(txtUserName);
    }
}

// The whole text is selected so that the next try replaces it.
void frmLogin::RetryIn(QLineEdit *box)
{
    box->setFocus();
    box->selectAll();
}

void frmLogin::cmdCancel_Click()
{
    m_loginSucceeded = false;
    reject();
}
