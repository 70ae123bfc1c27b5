// The e-mail frame: a server's alarm recipients.
#include "frmTreeConfiguration.h"

#include "AlarmRecipients.h"
#include "FormControls.h"
#include "NotificationEmails.h"
#include "Prompt.h"
#include "ServerDatabase.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace {

// The entry the operator selected. The current entry need not be selected: after a removal
// Qt makes the next one current on its own.
QListWidgetItem *SelectedEntry(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

QGroupBox *frmTreeConfiguration::BuildEmailFrame()
{
    frmSetup2 = Named(new QGroupBox(QStringLiteral("Email List"), this), u"frmSetup2");
    QGroupBox *frame = frmSetup2;
    txtEmailAddr = Named(new QLineEdit(frame), u"txtEmailAddr");
    btnAddEmail = Named(new QPushButton(QStringLiteral("Add"), frame), u"btnAddEmail");
    lstEmailAddr = Named(new QListWidget(frame), u"lstEmailAddr");
    lstEmailAddr->viewport()->installEventFilter(this);
    // As wide as its longest address, with room for the scroll bar of a long list.
    connect(lstEmailAddr->model(), &QAbstractItemModel::rowsInserted, lstEmailAddr, [this] {
        lstEmailAddr->setMinimumWidth(lstEmailAddr->sizeHintForColumn(0) +
                                      2 * lstEmailAddr->frameWidth() +
                                      lstEmailAddr->verticalScrollBar()->sizeHint().width());
    });
    btnDeleteEmailAddress =
        Named(new QPushButton(QStringLiteral("Delete"), frame), u"btnDeleteEmailAddress");
    btnTestEmailAddr = Named(new QPushButton(QStringLiteral("Test"), frame), u"btnTestEmailAddr");
    btnSaveEmail = Named(new QPushButton(QStringLiteral("Save"), frame), u"btnSaveEmail");
    btnCloseEmailFrame =
        Named(new QPushButton(QStringLiteral("Close"), frame), u"btnCloseEmailFrame");

    auto *grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Send an email to: "), frame), 0, 0);
    grid->addWidget(txtEmailAddr, 0, 1);
    grid->addWidget(btnAddEmail, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Email List"), frame), 1, 0);
    grid->addWidget(lstEmailAddr, 1, 1, 4, 1);
    grid->addWidget(btnDeleteEmailAddress, 1, 2);
    grid->addWidget(btnTestEmailAddr, 2, 2);
    grid->addWidget(btnSaveEmail, 3, 2);
    grid->addWidget(btnCloseEmailFrame, 4, 2);

    connect(btnAddEmail, &QPushButton::clicked, this, &frmTreeConfiguration::btnAddEmail_Click);
    connect(btnDeleteEmailAddress, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnDeleteEmailAddress_Click);
    connect(btnTestEmailAddr, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnTestEmailAddr_Click);
    connect(btnSaveEmail, &QPushButton::clicked, this, &frmTreeConfiguration::btnSaveEmail_Click);
    connect(btnCloseEmailFrame, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnCloseEmailFrame_Click);
    return frame;
}

bool frmTreeConfiguration::ParseAddrToList(const QString &emailAddr)
{
    lstEmailAddr->clear();
    lstEmailAddr->addItems(ParseAddressText(emailAddr));
    return true;
}

bool frmTreeConfiguration::SaveEmail()
{
    QStringList addresses;
    for (int i = 0; i < lstEmailAddr->count(); ++i)
        addresses << lstEmailAddr->item(i)->text();
    if (UpdateServerEmail(m_currentServerID, JoinAddresses(addresses)))
        return true;
    Prompt::Show(QStringLiteral("There was an error saving the email addresses.  The error is : "));
    return false;
}

void frmTreeConfiguration::btnServerEmailAddresses_Click()
{
    if (m_busy)
        return;
    m_currentFrame = kEmailFrame;
    ShowFrame(2);
}

void frmTreeConfiguration::btnAddEmail_Click()
{
    if (m_busy)
        return;
    const QString address = txtEmailAddr->text();
    if (!address.contains(QLatin1Char('.')) || !address.contains(QLatin1Char('@'))) {
        Prompt::Show(QStringLiteral("Please verify email address.  This email address does not "
                                    "seem valid."));
        return;
    }
    lstEmailAddr->addItem(address);
    txtEmailAddr->clear();
    SaveEmail();
    txtEmailAddr->setFocus();
}

// Save stores the list as Add does: the operator expects Save to save.
void frmTreeConfiguration::btnSaveEmail_Click()
{
    if (!m_busy)
        SaveEmail();
}

void frmTreeConfiguration::btnDeleteEmailAddress_Click()
{
    if (m_busy)
        return;
    delete SelectedEntry(*lstEmailAddr);
    lstEmailAddr->clearSelection();
}

// The address under the pointer is the one asked about and removed, whatever was
// selected before.
void frmTreeConfiguration::lstEmailAddr_MouseDown(Qt::MouseButton button, const QPoint &pos)
{
    QListWidgetItem *item = lstEmailAddr->itemAt(pos);
    if (button != Qt::RightButton || m_busy || !item)
        return;
    lstEmailAddr->setCurrentItem(item);
    const int row = lstEmailAddr->row(item);
    if (Prompt::Show(QStringLiteral("Remove this email address?"), Prompt::Buttons::YesNo) ==
        Prompt::Answer::Yes) {
        delete lstEmailAddr->takeItem(row);
        lstEmailAddr->clearSelection();
    }
}

void frmTreeConfiguration::btnTestEmailAddr_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    btnTestEmailAddr->setEnabled(false);
    const QListWidgetItem *item = SelectedEntry(*lstEmailAddr);
    const QString address = item ? item->text() : QString();
    if (address.isEmpty()) {
        Prompt::Show(QStringLiteral("Select an address to send a test message to and then click "
                                    "Test button."));
    } else {
        QString error;
        if (SendTestEmail(address, error))
            Prompt::Show(QStringLiteral("Email successfully sent to ") + address);
        else
            Prompt::Show(QStringLiteral("Email was not successfully sent to ") + address +
                         QStringLiteral(" the error is ") + error);
    }
    btnTestEmailAddr->setEnabled(true);
}

void frmTreeConfiguration::btnCloseEmailFrame_Click()
{
    if (m_busy)
        return;
    frmSetup2->hide();
    frmSetup0->show();
}
