#include "DialogTest.h"

#include "AlertPopup.h"
#include "Clock.h"
#include "Database.h"
#include "EventsFrame.h"
#include "FakeModule.h"
#include "GraphingMain.h"
#include "ModuleNetwork.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "compaction/Main.h"
#include "console/frmAbout.h"
#include "console/frmMain.h"
#include "discovery/frmAbout.h"
#include "discovery/frmMain.h"
#include "frmAdvancedEmail.h"
#include "frmBrowse.h"
#include "frmConfiguration.h"
#include "frmGraph.h"
#include "frmLogin.h"
#include "frmReportWizard.h"
#include "frmSplash.h"

#include "DeviceLink.h"
#include "FakeDevice.h"
#include "devicemanager/frmTreeConfiguration.h"
#include "panels/SharedLayouts.h"
#include "panels/frmFinch.h"
#include "panels/frmFinch416.h"
#include "panels/frmRK715.h"
#include "panels/frmRK715PhoneParameters.h"
#include "panels/frmRK718.h"
#include "panels/frmRK730.h"
#include "panels/frmRK750.h"
#include "panels/frmRK816.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The forms' style options, reached through their own members.
struct LineEditOption : QLineEdit {
    using QLineEdit::initStyleOption;
};
struct ComboBoxOption : QComboBox {
    using QComboBox::initStyleOption;
};

} // namespace

// Every top-level form, shown with the content it has in use, fits a 1280x720 screen and
// shows all its texts whole; CTest runs it once per scale.
class FormWalk : public DialogTest {
public:
    // The row's program folder and scripted message boxes.
    using DialogTest::File;
    using DialogTest::Folder;
    using DialogTest::LastId;
    using DialogTest::prompt;

    // Kept until the row's checks end, then destroyed newest first.
    template <typename Object> Object *Keep(std::unique_ptr<Object> object)
    {
        Object *kept = object.get();
        m_kept.push_back(std::move(object));
        return kept;
    }

protected:
    void TearDown() override
    {
        while (!m_kept.empty())
            m_kept.pop_back();
        DialogTest::TearDown();
    }

private:
    std::vector<std::unique_ptr<QObject>> m_kept;
};

namespace {

// A row: the form's name and what builds it, fills it as in use and shows it, giving its
// top-level windows.
struct FormRow {
    const char *name;
    std::function<QWidgetList(FormWalk &)> show;
};

void PrintTo(const FormRow &row, std::ostream *out)
{
    *out << row.name;
}

void Exec(const char *sql, const QVariantList &values = {})
{
    DatabaseConnection db;
    EXPECT_TRUE(db.Exec(QString::fromUtf8(sql), values)) << db.LastError().toStdString();
}

QString Name(const QWidget *widget)
{
    return QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
}

QString Place(const QRect &rect)
{
    return u"%1,%2 %3x%4"_s.arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

// The width a line edit leaves its text, as it lays its text out.
int TextArea(const QLineEdit &box)
{
    QStyleOptionFrame option;
    (box.*&LineEditOption::initStyleOption)(&option);
    const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
    const QMargins margins = box.textMargins();
    constexpr int kMargin = 2; // the line edit's own margin on each side
    constexpr int kCursor = 1;
    return contents.width() - margins.left() - margins.right() - 2 * kMargin - kCursor;
}

int TextArea(const QComboBox &box)
{
    QStyleOptionComboBox option;
    (box.*&ComboBoxOption::initStyleOption)(&option);
    return box.style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box)
        .width();
}

// The longest text a box takes: its maximum length in letters, or in digits where typing
// a letter leaves it empty.
QString LongestText(QLineEdit &box)
{
    box.clear();
    QTest::keyClick(&box, Qt::Key_X);
    return QString(box.maxLength(), box.text().isEmpty() ? u'8' : u'X');
}

// How a button's greyed-out caption stands out from its face, as the ratio of their
// relative luminances.
double Contrast(const QPalette &palette)
{
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double text = luminance(palette.color(QPalette::Disabled, QPalette::ButtonText));
    const double face = luminance(palette.color(QPalette::Disabled, QPalette::Button));
    return (std::max(text, face) + 0.05) / (std::min(text, face) + 0.05);
}

class Walk {
public:
    explicit Walk(const QWidget &window) : m_window(window) {}

    // What the window shows now; tab pages not in front are walked by the caller.
    void CheckShown()
    {
        for (QWidget *widget : m_window.findChildren<QWidget *>()) {
            if (!widget->isVisible())
                continue;
            CheckInside(*widget);
            if (auto *label = qobject_cast<QLabel *>(widget))
                CheckLabel(*label);
            else if (auto *box = qobject_cast<QLineEdit *>(widget))
                CheckBox(*box);
            else if (auto *list = qobject_cast<QComboBox *>(widget))
                CheckList(*list);
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                CheckButton(*button);
            else if (auto *tabs = qobject_cast<QTabBar *>(widget))
                CheckTabs(*tabs);
            else if (auto *frame = qobject_cast<QGroupBox *>(widget))
                // The title keeps clear of the frame's rounded corners.
                CheckFits(*frame, frame->title(), frame->width() - 16);
            else if (smallest)
                continue;
            else if (auto *header = qobject_cast<QHeaderView *>(widget))
                CheckHeader(*header);
            else if (auto *grid = qobject_cast<QTableView *>(widget))
                CheckRows(*grid);
            else if (auto *view = qobject_cast<QListView *>(widget))
                CheckFits(*view, u"its widest entry"_s, view->viewport()->width(),
                          view->sizeHintForColumn(0));
        }
    }

    QStringList faults;
    bool smallest = false; // the window at its minimum size

private:
    void CheckFits(const QWidget &widget, const QString &text, int room, int needed = -1)
    {
        if (needed < 0)
            needed = widget.fontMetrics().horizontalAdvance(text);
        if (needed > room)
            Fault(widget, u"cuts \"%1\": %2 px in %3"_s.arg(text).arg(needed).arg(room));
    }

    void Fault(const QWidget &widget, const QString &what)
    {
        const QString line =
            Name(&widget) + u' ' + what + (smallest ? u" at the window's smallest"_s : QString());
        if (!faults.contains(line))
            faults << line;
    }

    void CheckLabel(const QLabel &label)
    {
        if (label.text().isEmpty() || label.textFormat() == Qt::RichText ||
            (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text())))
            return;
        const QRect room = label.contentsRect().adjusted(label.margin(), label.margin(),
                                                         -label.margin(), -label.margin());
        if (label.wordWrap()) {
            const int needed = label.heightForWidth(label.width());
            if (needed > label.height())
                Fault(label, u"cuts its wrapped text \"%1\": %2 px high in %3"_s.arg(label.text())
                                 .arg(needed)
                                 .arg(label.height()));
            // A word longer than the line is cut all the same.
            const QRect lines = label.fontMetrics().boundingRect(QRect(0, 0, room.width(), 100000),
                                                                 Qt::TextWordWrap, label.text());
            CheckFits(label, label.text(), room.width(), lines.width());
            return;
        }
        const QSize needed = label.fontMetrics().size(Qt::TextShowMnemonic, label.text());
        CheckFits(label, label.text(), room.width(), needed.width());
        if (needed.height() > room.height())
            Fault(label, u"cuts \"%1\": %2 px high in %3"_s.arg(label.text())
                             .arg(needed.height())
                             .arg(room.height()));
    }

    void CheckBox(QLineEdit &box)
    {
        CheckFits(box, box.displayText(), TextArea(box));
        if (box.echoMode() == QLineEdit::Password && !box.text().isEmpty() &&
            box.displayText() != QString(box.text().size(), u'*'))
            Fault(box, u"hides its text as \"%1\", not as stars"_s.arg(box.displayText()));
        if (box.maxLength() >= 32767 || box.isReadOnly())
            return;
        // Typed in and taken out again without a signal, so the form sees no change.
        const QSignalBlocker quiet(box);
        const QString shown = box.text();
        box.setText(LongestText(box));
        CheckFits(box, box.displayText(), TextArea(box));
        // Nor wider: a box for a digit or two stays small beside the names. A password box
        // keeps the width of the text it hides.
        const QFontMetrics metrics = box.fontMetrics();
        const int typed =
            std::max(metrics.horizontalAdvance(box.text()),
                     int(box.text().size()) * metrics.horizontalAdvance(box.text().front()));
        if (TextArea(box) > typed)
            Fault(box, u"is %1 px wide for %2 px of text"_s.arg(TextArea(box)).arg(typed));
        box.setText(shown);
    }

    void CheckList(const QComboBox &list)
    {
        for (int i = 0; i < list.count(); ++i)
            CheckFits(list, list.itemText(i), TextArea(list));
    }

    void CheckButton(const QAbstractButton &button)
    {
        if (button.text().isEmpty())
            return;
        if (!button.isEnabled() &&
            Contrast(button.palette()) < Contrast(QApplication::palette(&button)))
            Fault(button, u"greyed out is harder to read than a plain button"_s);
        if (qobject_cast<const QPushButton *>(&button)) {
            // The style's margin and frame around the caption, as the button's size hint counts
            // them.
            const QStyle &style = *button.style();
            const int room = button.width() -
                             style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) -
                             2 * style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
            CheckFits(button, button.text(), room,
                      button.fontMetrics().size(Qt::TextShowMnemonic, button.text()).width());
        } else if (button.width() < button.sizeHint().width()) {
            Fault(button, u"cuts \"%1\": %2 px wide, needs %3"_s.arg(button.text())
                              .arg(button.width())
                              .arg(button.sizeHint().width()));
        }
    }

    // Nothing reaches out of the widget that holds it, where the window would cut it off;
    // what a scrolled area holds may.
    void CheckInside(const QWidget &widget)
    {
        const QWidget *holder = widget.parentWidget();
        if (widget.isWindow() || !holder)
            return;
        const auto *area = qobject_cast<const QAbstractScrollArea *>(holder->parentWidget());
        if (area && area->viewport() == holder)
            return;
        // Nor does it lie over a control beside it, which would hide that one's text.
        for (const QObject *other : holder->children()) {
            const auto *sibling = qobject_cast<const QWidget *>(other);
            if (sibling && sibling != &widget && sibling->isVisible() && !sibling->isWindow() &&
                sibling->geometry().intersects(widget.geometry()))
                Fault(widget, u"lies over %1"_s.arg(Name(sibling)));
        }
        if (!holder->rect().contains(widget.geometry()))
            Fault(widget, u"reaches out of its holder: %1 in %2"_s.arg(Place(widget.geometry()),
                                                                       Place(holder->rect())));
    }

    // Every tab shows its whole caption, and no tab is scrolled out of sight.
    void CheckTabs(const QTabBar &tabs)
    {
        const int space = tabs.style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, &tabs);
        for (int i = 0; i < tabs.count(); ++i) {
            const QRect tab = tabs.tabRect(i);
            CheckFits(tabs, tabs.tabText(i), tab.width() - space,
                      tabs.fontMetrics().size(Qt::TextShowMnemonic, tabs.tabText(i)).width());
            if (!tabs.rect().contains(tab))
                Fault(tabs, u"leaves tab \"%1\" out of sight"_s.arg(tabs.tabText(i)));
        }
    }

    // A grid with rows shows more than one of them, however full the grids beside it are.
    void CheckRows(const QTableView &grid)
    {
        const int rows = std::min(grid.model() ? grid.model()->rowCount() : 0, 2);
        int needed = 0;
        for (int row = 0; row < rows; ++row)
            needed += grid.rowHeight(row);
        if (needed > grid.viewport()->height())
            Fault(grid, u"shows less than %1 rows: %2 px high, needs %3"_s.arg(rows)
                            .arg(grid.viewport()->height())
                            .arg(needed));
    }

    void CheckHeader(const QHeaderView &header)
    {
        if (header.orientation() != Qt::Horizontal)
            return;
        const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
        for (int i = 0; i < header.count(); ++i) {
            if (header.isSectionHidden(i))
                continue;
            const QString text = header.model()->headerData(i, Qt::Horizontal).toString();
            CheckFits(*header.parentWidget(), text, header.sectionSize(i) - 2 * margin);
        }
    }

    const QWidget &m_window;
};

// The whole window: its size against the screen, then its texts on every tab page.
QStringList CheckWindow(QWidget &window)
{
    Walk walk(window);
    const QRect screen = window.screen()->availableGeometry();
    QSize least = window.minimumSize();
    if (window.layout())
        least = least.expandedTo(window.layout()->totalMinimumSize());
    const QSize frame = window.frameGeometry().size() - window.size();
    if (least.width() + frame.width() > screen.width() ||
        least.height() + frame.height() > screen.height())
        walk.faults << u"needs at least %1x%2, larger than the screen"_s.arg(least.width())
                           .arg(least.height());
    if (!screen.contains(window.frameGeometry()))
        walk.faults << u"starts at %1, outside the screen"_s.arg(Place(window.frameGeometry()));
    const auto checkPages = [&window, &walk] {
        walk.CheckShown();
        for (QTabWidget *tabs : window.findChildren<QTabWidget *>()) {
            const int front = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
                walk.CheckShown();
            }
            tabs->setCurrentIndex(front);
        }
    };
    checkPages();
    // Made as small as it lets itself be, it still shows every text whole; grids and
    // lists scroll instead.
    if (!window.isMaximized()) {
        const QSize shown = window.size();
        window.resize(least);
        QCoreApplication::processEvents();
        walk.smallest = true;
        checkPages();
        window.resize(shown);
    }
    return walk.faults;
}

// ---- The station, the graphing program, the discovery program and compaction ----

QWidgetList ShowMainWindow(FormWalk &walk)
{
    // Devices with long names and sensors, none enabled, so that no cycle polls them.
    for (const QString &ip : {u"127.77.90.1"_s, u"127.77.90.2"_s}) {
        EXPECT_TRUE(AddServer(u"Cold Store North Loading Bay "_s + ip.right(1), u"RK730"_s, ip, {},
                              0, {}, {}, 1));
        const qint32 server = walk.LastId(u"tblServers"_s);
        for (qint16 port = 1; port <= 4; ++port)
            EXPECT_TRUE(SaveSensorRecord(server, u"Freezer Room %1 Door Side"_s.arg(port), port, {},
                                         u"Temperature"_s, u"90"_s, u"10"_s, u"0"_s));
    }
    auto *window = walk.Keep(std::make_unique<frmMain>());
    window->SplashMilliseconds = 0;
    window->QuitProgram = [] {};
    window->TrayAvailable = [] { return false; };
    window->RunLogin = [] { return false; };
    window->RunConfiguration = [] {};
    window->Form_Load();
    return {window};
}

// The events view with rows in all three of its grids.
QWidgetList ShowEventsView(FormWalk &walk)
{
    const QWidgetList windows = ShowMainWindow(walk);
    auto *window = static_cast<frmMain *>(windows.front());
    for (int i = 0; i < 3; ++i) {
        Exec("INSERT INTO tblAlarms (SensorIDNum, AlarmStart, AlarmEnd, AlarmActive, Server, "
             "Sensor, CurrentData, TOL, CauseOfAlarm, EmailSent) VALUES (7, '2024-03-01 08:00:00', "
             "'2024-03-01 09:30:00', 0, 'Cold Store North', 'Freezer Room 2', '88.5', 95, "
             "'High limit', 'True')");
        Exec("INSERT INTO tblServerFailures (ServerIDNum, ServerName, OffLine, BackOnLine, "
             "EmailSent) VALUES (1, 'Cold Store North', '2024-03-01 07:59:12', "
             "'2024-03-01 08:14:40', 'True')");
        RecordSystemError(u"PollServers"_s, u"Network communication time out"_s);
    }
    window->mnuAlarmFrame->trigger();
    window->frmErrors->tabMain->setCurrentIndex(2);
    return windows;
}

QWidgetList ShowTrendView(FormWalk &walk)
{
    const QWidgetList windows = ShowMainWindow(walk);
    static_cast<frmMain *>(windows.front())->VTPShow(2);
    return windows;
}

QWidgetList ShowAlarmPopup(FormWalk &walk)
{
    auto *popup = walk.Keep(std::make_unique<AlertPopup>());
    popup->SetDisplayTime(60000);
    popup->Show(u"There is a temperature alarm.  Please view status on Vantrel."_s);
    return {popup};
}

// A dialog made and shown as it is.
template <typename Dialog> QWidgetList ShowDialog(FormWalk &walk)
{
    auto *dialog = walk.Keep(std::make_unique<Dialog>());
    dialog->show();
    return {dialog};
}

// The settings at their longest, saved, then the dialog that shows them.
template <typename Dialog> QWidgetList ShowSettings(FormWalk &walk)
{
    ConfigRecord &r = Config();
    r.OrgName = u"Cold Store North Refrigerated Warehousing Company"_s;
    r.OrgAddress = u"1200 Harbour Industrial Estate, Unit 14, Quay Road"_s;
    r.OrgPhoneNumber = u"+44 1234 567890 x123"_s;
    r.SMTPHost = u"smtp.mail.cold-store-north.example.com"_s;
    r.FromAddress = u"station.monitoring@cold-store-north.example.com"_s;
    r.ServerFailureEmailAddress = u"admin@cold-store-north.example.com, night@cold.example"_s;
    r.AlarmEmailSubjectLine = u"Alarm at the Cold Store North freezer rooms"_s;
    r.AdminUserName = u"administrator"_s;
    r.AdminPassword = r.SMTPPassword = u"Secret1"_s;
    r.LogDir = u"/srv/vantrel/records/cold-store-north/freezer-rooms"_s;
    r.SMTPUserName = r.FromAddress;
    r.LoginDomain = u"COLD-STORE-NORTH"_s;
    r.CommunicationRetry = 9;
    r.TCPTimeOut = 60;
    r.UpdateRate = 999;
    r.OKHour = 12;
    r.UseAuthentication = 1;
    r.SMTPPort = 587;
    r.SMTPTimeOut = 120;
    ValidateConfiguration();
    EXPECT_TRUE(SaveConfiguration());
    return ShowDialog<Dialog>(walk);
}

QWidgetList ShowLogin(FormWalk &walk)
{
    static bool loginSucceeded = false;
    auto *dialog = walk.Keep(std::make_unique<frmLogin>(loginSucceeded));
    dialog->show();
    return {dialog};
}

QWidgetList ShowFolderPicker(FormWalk &walk)
{
    static QString logFolder;
    logFolder = walk.Folder();
    auto *dialog = walk.Keep(std::make_unique<frmBrowse>(logFolder, &Config()));
    dialog->show();
    return {dialog};
}

// A record file of a freezer room with a month of hourly readings.
void WriteRecordFile()
{
    const QString folder = Graphing().DataFolder;
    EXPECT_TRUE(SaveSensorDatToFile(folder, 7, u"Freezer Room 2 Door Side"_s, u"Cold Store North"_s,
                                    u"\u00b0F"_s, 90, 10));
    const QDateTime from(QDate(2026, 3, 1), QTime(10, 0));
    for (int hour = 0; hour < 31 * 24; hour += 6) {
        Clock::SetFixed(from.addSecs(qint64(hour) * 3600));
        EXPECT_TRUE(AppendInstantRecord(folder, 7, 20 + hour % 7));
        EXPECT_TRUE(AppendAverageRecord(folder, 7, 20 + hour % 7));
    }
    Clock::SetFixed(std::nullopt);
}

// Against the screen's right edge, where a person may have moved it: a window that widens
// there must stay on the screen.
void ToTheRightEdge(QWidget *window)
{
    window->move(window->screen()->availableGeometry().right() - window->frameGeometry().width(),
                 window->y());
}

// At the right edge its files are listed only once it stands there.
template <bool kAtTheRightEdge> QWidgetList ShowChartWizard(FormWalk &walk)
{
    ResetGraphing();
    if (!kAtTheRightEdge)
        WriteRecordFile();
    auto *wizard = walk.Keep(std::make_unique<frmReportWizard>());
    wizard->show();
    if (kAtTheRightEdge) {
        ToTheRightEdge(wizard);
        WriteRecordFile();
        wizard->Form_Activate();
    } else {
        wizard->cmboSensors->setCurrentIndex(wizard->cmboSensors->count() - 1);
    }
    return {wizard};
}

QWidgetList ShowGraph(FormWalk &walk)
{
    ResetGraphing();
    WriteRecordFile();
    auto *graph = walk.Keep(std::make_unique<frmGraph>());
    graph->SensorIDNum = 7;
    graph->FileName = QDir(Graphing().DataFolder).filePath(u"7-avg.dat"_s);
    graph->StartDate = u"2026-03-01"_s;
    graph->EndDate = u"2026-03-31"_s;
    graph->show();
    // Unmaximised, as where no window manager maximises it, it still fills the screen.
    EXPECT_EQ(graph->normalGeometry().size(), QSize(1280 - 133, 720 - 133));
    return {graph};
}

// The discovery program having found a module on loopback.
QWidgetList ShowModuleSetup(FormWalk &walk)
{
    ProgramInfo::SetTitle(u"QRB IP Setup"_s);
    auto *module = walk.Keep(std::make_unique<FakeModule>());
    EXPECT_TRUE(module->Listen(TestModulePort()));
    auto *window = walk.Keep(std::make_unique<discovery::frmMain>(LoopbackNetwork()));
    window->QuitProgram = [] {};
    window->Form_Load();
    window->btnFindFinchs->click();
    EXPECT_EQ(window->Grid->rowCount(), 1);
    return {window};
}

QWidgetList ShowModuleSetupAbout(FormWalk &walk)
{
    ProgramInfo::SetTitle(u"QRB IP Setup"_s);
    return ShowDialog<discovery::frmAbout>(walk);
}

// Packwell after a run on a database it could not make smaller.
template <bool kAtTheRightEdge> QWidgetList ShowPackwell(FormWalk &walk)
{
    ProgramInfo::SetTitle(u"Packwell"_s);
    EXPECT_TRUE(QFile::copy(walk.File(u"zarvo.mdb"_s), walk.File(u"finch.mdb"_s)));
    auto *window = walk.Keep(std::make_unique<Main>());
    window->show();
    if (kAtTheRightEdge)
        ToTheRightEdge(window);
    window->btnCDB->click();
    return {window};
}

// ---- The device manager and the device panels ----

// Names as long as a name page holds, 20 characters.
const QByteArray kNames[] = {"Freezer Room 2 North", "Cold Store Loading 4",
                             "Blast Chiller Bay 03"};

// A device on loopback behind the program's device link, at the shortest reply wait,
// holding the widest values its pages can: every word -32640, shown "-32640" or
// "-3264.0", every byte 128, names of 20 characters and readings in tenths.
FakeDevice &WidestDevice(FormWalk &walk, qint16 family, qint16 subModel, qint16 revision)
{
    Config().TCPTimeOut = 1;
    walk.Keep(std::make_unique<DeviceLink>());
    LinkState().Running = true;
    auto *device = walk.Keep(std::make_unique<FakeDevice>());
    EXPECT_TRUE(device->Listen());
    device->family = family;
    device->subModel = subModel;
    device->revision = revision;
    for (QByteArray &page : device->pages)
        page.replace(4, 56, QByteArray(56, char(0x80)));
    // Names at bytes 9 and 29 of the name pages; a Finch's page 4 holds its alarm delays.
    for (int page = 2; page <= 7; ++page) {
        if (family == 3 && page == 4)
            continue;
        device->pages[page].replace(8, 20, kNames[page % 3]);
        device->pages[page].replace(28, 20, kNames[(page + 1) % 3]);
    }
    for (int i = 0; i < int(device->channels.size()); ++i)
        device->channels[i].reading = qint16(i < 8 ? -32640 : 0);
    // A shorted sensor: its reading's state as text, where readings are in tenths.
    device->channels[1].reading = -9990;
    device->tenths = true;
    device->battery = 255;
    return *device;
}

// Logic levels and normal states the lists show.
void ListIndexOne(FakeDevice &device)
{
    for (int row = 0; row < 8; ++row)
        device.pages[0].replace(RecordByte(row) - 1, 2, QByteArray("\0\1", 2));
}

// The RK718's input read as a water sensor, which shows "Water Not Detected".
void WaterSensorInput(FakeDevice &device)
{
    device.pages[1].replace(10, 2, QByteArray(2, '\0'));
}

// Every contact number of the dialer 20 digits long.
void LongPhoneNumbers(FakeDevice &device)
{
    for (int page = 8; page <= 13; ++page)
        device.pages[page].replace(8, 52, QByteArray(52, char(9)));
}

// The calibration frame open beside the rows, the factors shown.
template <typename Panel> void OpenCalibration(Panel &panel)
{
    panel.btnCal->click();
    if (auto *factors = panel.template findChild<QPushButton *>(u"btnCF"_s))
        factors->click();
    EXPECT_TRUE(panel.frmCal->isVisible());
}

void OpenNotes(frmRK715 &panel)
{
    panel.btnNotes->click();
    for (QLineEdit *notes : std::as_const(panel.txtNotes))
        notes->setText(u"Defrost 02:00 daily"_s);
}

// A panel opened on its device, its download ended; `adjust` readies the device first,
// `then` opens a frame of the panel.
template <typename Panel, int family, int subModel, void (*adjust)(FakeDevice &) = nullptr,
          void (*then)(Panel &) = nullptr>
QWidgetList ShowPanel(FormWalk &walk)
{
    FakeDevice &device = WidestDevice(walk, family, subModel, 25);
    if constexpr (adjust != nullptr)
        adjust(device);
    auto *panel = walk.Keep(std::make_unique<Panel>());
    panel->IPAddress = device.Address();
    panel->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor([panel] { return !panel->Transferring(); }));
    if constexpr (then != nullptr)
        then(*panel);
    return {panel};
}

// The device manager with a server loaded and its data log downloaded, ready to export.
QWidgetList ShowDeviceManager(FormWalk &walk)
{
    FakeDevice &device = WidestDevice(walk, 6, 10, 1);
    for (int r = 0; r < 40; ++r) {
        device.dataLog += QByteArray::fromHex("054503150614");
        for (int sensor = 0; sensor < 8; ++sensor)
            device.dataLog += QByteArray("\x80\x80", 2);
        device.dataLog += char(0x1A);
    }
    EXPECT_TRUE(AddServer(QString::fromLatin1(kNames[2]), u"stored model"_s, device.Address(),
                          u"Racks 1 to 4, door side"_s, 1, u"pw"_s,
                          u"night.shift@cold-store-north.example.com,alarms@cold.example,"_s, -1));
    auto *screen = walk.Keep(std::make_unique<frmTreeConfiguration>());
    screen->show();
    QTreeWidgetItem *server = screen->ServerTree->topLevelItem(0)->child(0);
    QTest::mouseClick(screen->ServerTree->viewport(), Qt::LeftButton, {},
                      screen->ServerTree->visualItemRect(server).center());
    screen->mnuEditServer->trigger();
    screen->btnGetLogFile->click();
    EXPECT_TRUE(screen->btnExportLog->isVisible());
    EXPECT_EQ(screen->gridLog->model()->rowCount(), 40);
    return {screen};
}

// The server's alarm recipients in place of its frames.
QWidgetList ShowAlarmRecipients(FormWalk &walk)
{
    const QWidgetList windows = ShowDeviceManager(walk);
    auto *screen = static_cast<frmTreeConfiguration *>(windows.front());
    screen->btnServerEmailAddresses->click();
    EXPECT_EQ(screen->lstEmailAddr->count(), 2);
    return windows;
}

const FormRow kForms[] = {
    {"StationMainWindow", ShowMainWindow},
    {"TrendView", ShowTrendView},
    {"EventsView", ShowEventsView},
    {"AlarmPopup", ShowAlarmPopup},
    {"Settings", ShowSettings<frmConfiguration>},
    {"AdvancedEmail", ShowSettings<frmAdvancedEmail>},
    {"LogIn", ShowLogin},
    {"FolderPicker", ShowFolderPicker},
    {"About", ShowDialog<frmAbout>},
    {"Splash", ShowDialog<frmSplash>},
    {"ChartWizard", ShowChartWizard<false>},
    {"ChartWizardAtTheRight", ShowChartWizard<true>},
    {"Graph", ShowGraph},
    {"ModuleSetup", ShowModuleSetup},
    {"ModuleSetupAbout", ShowModuleSetupAbout},
    {"Packwell", ShowPackwell<false>},
    {"PackwellAtTheRight", ShowPackwell<true>},

    // ---- The device manager and the device panels ----
    {"DeviceManager", ShowDeviceManager},
    {"AlarmRecipients", ShowAlarmRecipients},
    {"RK715", ShowPanel<frmRK715, 6, 5>},
    {"RK715Calibration", ShowPanel<frmRK715, 6, 5, nullptr, OpenCalibration<frmRK715>>},
    {"RK715Dialer", ShowPanel<frmRK715PhoneParameters, 6, 5, LongPhoneNumbers>},
    {"RK715Notes", ShowPanel<frmRK715, 6, 5, nullptr, OpenNotes>},
    {"RK718", ShowPanel<frmRK718, 5, 8, WaterSensorInput>},
    {"RK718Calibration", ShowPanel<frmRK718, 5, 8, nullptr, OpenCalibration<frmRK718>>},
    {"RK730", ShowPanel<frmRK730, 5, 20>},
    {"RK750", ShowPanel<frmRK750, 5, 40, ListIndexOne>},
    {"RK816", ShowPanel<frmRK816, 6, 6, ListIndexOne>},
    {"Finch", ShowPanel<frmFinch, 3, 5>},
    {"FinchCalibration", ShowPanel<frmFinch, 3, 5, nullptr, OpenCalibration<frmFinch>>},
    {"Finch416", ShowPanel<frmFinch416, 3, 6>},
    {"Finch416Calibration", ShowPanel<frmFinch416, 3, 6, nullptr, OpenCalibration<frmFinch416>>},
};

class FormWalkTest : public FormWalk, public ::testing::WithParamInterface<FormRow> {};

} // namespace

TEST_P(FormWalkTest, FitsTheScreenAndShowsItsTextsWhole)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(screen.size(), QSize(1280, 720)) << "the walk needs its 1280x720 screen";
    const QWidgetList windows = GetParam().show(*this);
    ASSERT_FALSE(windows.isEmpty());
    for (QWidget *window : windows) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << Name(window).toStdString();
        EXPECT_EQ(CheckWindow(*window), QStringList()) << Name(window).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FormWalkTest, ::testing::ValuesIn(kForms),
                         [](const auto &info) { return std::string(info.param.name); });
