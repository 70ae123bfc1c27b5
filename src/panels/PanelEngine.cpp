#include "PanelEngine.h"

#include "DeviceCommands.h"
#include "DeviceTransport.h"
#include "DialogButtons.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "Prompt.h"
#include "ReplyDecoding.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace {

QString Element(const QString &stem, int index)
{
    return stem + u'(' + QString::number(index) + u')';
}

bool IsOption(const Field &field)
{
    return field.codec == Codec::OptionByte || field.codec == Codec::OptionWord;
}

// Whether the field's value is typed into a text box (and so may need checking).
bool IsTyped(const Field &field)
{
    return !IsOption(field) && field.codec != Codec::ListWord && field.codec != Codec::FixedWord;
}

QByteArray ReadRequest(int page)
{
    switch (page) {
    case kIdentityPage:
        return DeviceCommand::Identify();
    case kCurrentDataPage:
        return DeviceCommand::ReadCurrentData();
    case kCredentialsPage:
        return DeviceCommand::ReadCredentials();
    default:
        return DeviceCommand::ReadPage(page);
    }
}

// A model whose steps carry their own captions shows the first one from the start.
QString FirstCaption(const Step &first, const QString &general)
{
    return first.status.isEmpty() ? general : first.status;
}

} // namespace

PanelEngine::PanelEngine(PanelTables tables, QWidget *parent)
    : QDialog(parent), m_tables(std::move(tables))
{
    lblStatus = Named(new QLabel(this), u"lblStatus");
    lblStatus->hide();
    lstStatus = Named(new QListWidget(this), u"lstStatus");
    btnRefresh = Named(new QPushButton(QStringLiteral("Refresh"), this), u"btnRefresh");
    btnSave = Named(new QPushButton(QStringLiteral("Save"), this), u"btnSave");
    btnClose = Named(new QPushButton(QStringLiteral("Close"), this), u"btnClose");
}

void PanelEngine::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Once per opening, after the window is up; Qt's own activation events come after
    // every message box and would download again.
    if (m_activated)
        return;
    m_activated = true;
    // Enter in a box must not press Save.
    NoDefaultButtons(this);
    SizeFieldBoxes();
    if (layout())
        layout()->activate();
    CentreOnScreen(this);
    QTimer::singleShot(0, this, [this] { RunTransfer([this] { Form_Activate(); }); });
}

// Every box of the field table as wide as the longest text its field shows, or as its
// length limit where that is shorter; the boxes exist only once the model has built them.
void PanelEngine::SizeFieldBoxes()
{
    for (const Field &field : m_tables.fields) {
        auto *box = field.control.isEmpty() ? nullptr : findChild<QLineEdit *>(field.control);
        if (!box)
            continue;
        SizeForText(box, std::min(FieldCharacters(field), box->maxLength()),
                    field.codec == Codec::Name ? BoxText::Text : BoxText::Digits);
    }
}

// A panel that grows with the frames it shows stays on the screen.
void PanelEngine::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (isVisible())
        FitToScreen(this);
}

void PanelEngine::closeEvent(QCloseEvent *event)
{
    if (m_transferring) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// Esc and the close box: the panel may not go while a wait is on the stack.
void PanelEngine::reject()
{
    if (!m_transferring)
        QDialog::reject();
}

void PanelEngine::OnClick(QPushButton *button, std::function<void()> action)
{
    connect(button, &QPushButton::clicked, this,
            [this, action = std::move(action)] { RunTransfer(action); });
}

void PanelEngine::RunTransfer(const std::function<void()> &action)
{
    if (m_transferring)
        return;
    m_transferring = true;
    action();
    m_transferring = false;
}

void PanelEngine::Pause(int milliseconds)
{
    // A coarse timer, Qt's choice from 2000 ms on, may fire 5 % early.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void PanelEngine::Buttons(bool state)
{
    for (QPushButton *button : std::as_const(m_commandButtons))
        button->setEnabled(state);
}

void PanelEngine::ClearTextBoxes()
{
    lstStatus->clear();
}

void PanelEngine::AddStatusLine(const QString &line)
{
    lstStatus->addItem(line);
}

void PanelEngine::ShowStatus(const QString &caption)
{
    lblStatus->setText(caption);
    lblStatus->show();
}

void PanelEngine::HideStatus()
{
    lblStatus->clear();
    lblStatus->hide();
}

QString PanelEngine::BoxText(const QString &control) const
{
    const auto *box = findChild<QLineEdit *>(control);
    return box ? box->text() : QString();
}

void PanelEngine::SetBoxText(const QString &control, const QString &text)
{
    if (auto *box = findChild<QLineEdit *>(control))
        box->setText(text);
}

bool PanelEngine::Exchange(const QByteArray &request, QByteArray &reply, bool closeAfter) const
{
    // A page read back holds the operator's names: "error" in them is no error reply. A
    // store gets no such leeway: its echo is our own bytes or it is refused.
    TextFields names;
    const bool pageRead = request.startsWith(DeviceCommand::ReadPage(0).left(3));
    for (const Field &field : m_tables.fields) {
        if (pageRead && field.page == uchar(request.at(3)) && field.codec == Codec::Name)
            names.append({field.byte, kNameLength});
    }
    const bool accepted = ReadFromKV(IPAddress, kDevicePort, request, reply, kFrameLength,
                                     ProgressForm::None, closeAfter, names);
    return accepted && reply.left(4) == request.left(4);
}

// A failed step's line; true when it ends the transfer (a busy device, or a step that stops).
bool PanelEngine::EndsTransfer(const Step &step, const QByteArray &reply)
{
    const bool busy = !step.busyLine.isEmpty() && IsBusyReply(reply);
    if (busy)
        AddStatusLine(step.busyLine);
    else if (!step.failureLine.isEmpty())
        AddStatusLine(step.failureLine);
    if (!busy && !step.stops)
        return false;
    HideStatus();
    return true;
}

bool PanelEngine::GetLimits(bool calOnly)
{
    const bool partial =
        calOnly && std::any_of(m_tables.download.begin(), m_tables.download.end(),
                               [](const Step &step) { return step.endsCalibration; });
    ShowStatus(FirstCaption(m_tables.download.front(), QStringLiteral("Downloading...")));
    if (!partial) {
        ClearTextBoxes();
        // Only what this download reads may go back to the device.
        for (auto &[number, buffer] : m_pages)
            buffer.state = PageState::Unread;
    }
    for (const Step &step : m_tables.download) {
        if (step.gate && !step.gate()) {
            m_pages[step.page].state = PageState::Unused;
            continue;
        }
        if (!step.status.isEmpty())
            ShowStatus(step.status);
        const QByteArray request = PadWithNulls(ReadRequest(step.page));
        QByteArray reply;
        const bool ok = Exchange(request, reply, step.closeAfter);
        if (step.page == kIdentityPage) {
            // A failed identify leaves the device manager's identification in force.
            if (ok)
                ParseMessage(request, reply);
            ApplyGates();
            continue;
        }
        PageBuffer &buffer = m_pages[step.page];
        if (ok) {
            buffer = {reply.left(kFrameLength), PageState::Read};
            ParseLimits(buffer.bytes, step.page);
        } else {
            buffer.state = PageState::Unread;
            if (EndsTransfer(step, reply))
                return false;
        }
        if (partial && step.endsCalibration) {
            HideStatus();
            return true;
        }
    }
    AfterDownload();
    HideStatus();
    if (!m_tables.downloadComplete.isEmpty())
        AddStatusLine(m_tables.downloadComplete);
    return true;
}

std::vector<const Step *> PanelEngine::UploadSteps(bool calOnly) const
{
    std::vector<const Step *> steps;
    for (const Step &step : m_tables.upload) {
        steps.push_back(&step);
        if (calOnly && step.endsCalibration)
            break;
    }
    return steps;
}

bool PanelEngine::UploadAllowed(bool calOnly) const
{
    const auto stateOf = [this](int page) {
        const auto it = m_pages.find(page);
        return it == m_pages.end() ? PageState::Unread : it->second.state;
    };
    for (const Step *step : UploadSteps(calOnly)) {
        if (!step->frame.isEmpty())
            continue;
        const PageState state = stateOf(step->page);
        // A calibration upload is all about the page that ends it: it must have been read.
        if (state == PageState::Unread ||
            (calOnly && step->endsCalibration && state != PageState::Read))
            return false;
    }
    if (calOnly)
        return true;
    for (const int page : m_tables.readBeforeSave) {
        if (stateOf(page) == PageState::Unread)
            return false;
    }
    return true;
}

void PanelEngine::RefuseUnreadPages() const
{
    Prompt::Show(QStringLiteral("Some settings could not be read from the device, so nothing "
                                "was saved.  Press Refresh and try again."));
}

bool PanelEngine::Refuse(const Field &field, const QString &allowed)
{
    Prompt::Show(FieldTitle(field) + QStringLiteral(": \"") + BoxText(field.control) +
                 QStringLiteral("\" cannot be stored.  ") + allowed);
    if (auto *box = findChild<QLineEdit *>(field.control))
        box->setFocus();
    return false;
}

// Every box that this upload writes or stores is checked before the first exchange, so
// that no page goes half written and no value reaches the device wrapped.
bool PanelEngine::CheckFields(bool calOnly)
{
    QList<int> pages;
    for (const Step *step : UploadSteps(calOnly)) {
        const auto it = m_pages.find(step->page);
        if (it != m_pages.end() && it->second.state == PageState::Read)
            pages.append(step->page);
    }
    if (!calOnly)
        pages.append(kStoredOnly);
    for (const Field &field : m_tables.fields) {
        if (!pages.contains(field.page) || !IsTyped(field) || field.codec == Codec::Name)
            continue;
        const QString text = BoxText(field.control);
        if (field.codec == Codec::PhoneNumber) {
            if (!IsPhoneNumber(text))
                return Refuse(field, QStringLiteral("Use digits and \"*\" only."));
            continue;
        }
        if (text.trimmed().isEmpty())
            continue;
        if (!FieldValue(field, text, TenthsMode))
            return Refuse(field, QStringLiteral("Enter a number ") +
                                     FieldRangeText(field, TenthsMode) + u'.');
    }
    return true;
}

// The page as it goes to the device; false, with the failed reply in `page`, when the
// fresh read of it failed.
bool PanelEngine::PageToStore(const Step &step, QByteArray &page)
{
    if (!step.frame.isEmpty() || !m_tables.freshRead) {
        page = step.frame.isEmpty() ? m_pages[step.page].bytes : step.frame;
        return true;
    }
    if (!Exchange(PadWithNulls(DeviceCommand::ReadPage(step.page)), page, false))
        return false;
    page = page.left(kFrameLength);
    page.replace(0, 3, DeviceCommand::StorePage());
    InsertLimits(page, step.page);
    return true;
}

bool PanelEngine::SaveLimits(bool calOnly)
{
    if (!UploadAllowed(calOnly)) {
        RefuseUnreadPages();
        return false;
    }
    if (!CheckEntries(calOnly) || !CheckFields(calOnly) || (!calOnly && !CheckRows()))
        return false;
    const std::vector<const Step *> steps = UploadSteps(calOnly);
    ShowStatus(FirstCaption(*steps.front(), QStringLiteral("Uploading...")));
    for (const Step *step : steps) {
        PageBuffer &buffer = m_pages[step->page];
        if (!step->frame.isEmpty() || buffer.state != PageState::Read || m_tables.freshRead)
            continue;
        buffer.bytes.replace(0, 3, DeviceCommand::StorePage());
        InsertLimits(buffer.bytes, step->page);
    }
    bool allStored = true;
    for (const Step *step : steps) {
        // A page this model does not use stays as the device holds it.
        if (step->frame.isEmpty() && m_pages[step->page].state != PageState::Read)
            continue;
        if (!step->status.isEmpty())
            ShowStatus(step->status);
        QByteArray page;
        QByteArray reply;
        if (!PageToStore(*step, page))
            reply = page;
        else if (Exchange(page, reply, step->closeAfter))
            continue;
        allStored = false;
        if (EndsTransfer(*step, reply))
            return false;
    }
    // The sensor table tells what the device holds: it changes only after a whole upload.
    if (allStored && !calOnly)
        StoreRows();
    HideStatus();
    if (allStored) {
        if (!m_tables.uploadComplete.isEmpty())
            AddStatusLine(m_tables.uploadComplete);
        return true;
    }
    // Said where the model's own lines leave it untold: it writes a completion line, or some
    // of its stores fail without a line.
    const bool silentStore =
        std::any_of(m_tables.upload.begin(), m_tables.upload.end(),
                    [](const Step &step) { return step.failureLine.isEmpty(); });
    if (!m_tables.uploadComplete.isEmpty() || silentStore)
        AddStatusLine(QStringLiteral("Upload did not complete"));
    return true;
}

void PanelEngine::ParseLimits(const QByteArray &strReceive, int page)
{
    if (page == kCurrentDataPage) {
        ParseCurrentData(strReceive);
        return;
    }
    for (const Field &field : m_tables.fields) {
        if (field.page != page)
            continue;
        if (IsOption(field)) {
            const int element = OptionElement(strReceive, field);
            if (auto *list = findChild<QComboBox *>(field.control))
                list->setCurrentIndex(element);
            else if (auto *check = findChild<QCheckBox *>(field.control))
                check->setChecked(element == 0);
            else if (auto *option = findChild<QRadioButton *>(Element(field.control, element)))
                option->setChecked(true);
            continue;
        }
        const bool shown = field.shown == Shown::Always || RowNamed(field.row);
        if (field.codec == Codec::ListWord)
            ShowListIndex(strReceive, field, shown);
        else if (field.codec != Codec::FixedWord)
            SetBoxText(field.control, shown ? ShowField(strReceive, field, TenthsMode) : QString());
    }
    ParsePage(strReceive, page);
}

// A value the list cannot show leaves nothing selected, so that Save keeps the device's
// bytes; the line says so, and the rest of the page is still shown. A list whose row has
// no name keeps what it showed.
void PanelEngine::ShowListIndex(const QByteArray &page, const Field &field, bool shown)
{
    if (!shown)
        return;
    auto *list = findChild<QComboBox *>(field.control);
    const qint32 value = ReadDeviceInt(page, field.byte, 2);
    const bool listed = value >= -1 && value < list->count();
    list->setCurrentIndex(listed ? value : -1);
    if (!listed)
        AddStatusLine(FieldTitle(field) + QStringLiteral(": the device holds %1, which the list "
                                                         "does not offer; Save leaves it as it is.")
                                              .arg(value));
}

void PanelEngine::InsertLimits(QByteArray &strSend, int page)
{
    for (const Field &field : m_tables.fields) {
        if (field.page != page)
            continue;
        const auto *list = findChild<QComboBox *>(field.control);
        if (IsOption(field)) {
            const auto *check = findChild<QCheckBox *>(field.control);
            const auto *first = findChild<QRadioButton *>(Element(field.control, 0));
            const bool firstChosen = list    ? list->currentIndex() == 0
                                     : check ? check->isChecked()
                                             : first && first->isChecked();
            WriteOption(strSend, field, firstChosen ? 0 : 1);
            continue;
        }
        // Nothing selected in a list writes nothing, as a blank box does.
        QString text;
        if (IsTyped(field))
            text = BoxText(field.control);
        else if (field.codec == Codec::ListWord && list->currentIndex() >= 0)
            text = QString::number(list->currentIndex());
        WriteField(strSend, field, text, TenthsMode);
    }
}
