#include "frmReportWizard.h"

#include "Clock.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "GeneralDate.h"
#include "ProgramFolder.h"
#include "ProgramInfo.h"
#include "Prompt.h"
#include "ReportExport.h"
#include "frmBrowse.h"
#include "frmGraph.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QString kAvailableFrom = QStringLiteral("Available data from ");
const QString kTo = QStringLiteral(" to ");
const QString kCsvFilter = QStringLiteral("All CSV Files (*.csv)");

} // namespace

frmReportWizard::frmReportWizard(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmReportWizard"));
    auto *form = new QWidget(this);
    setCentralWidget(form);

    lblDirectory = Named(new QLabel(QStringLiteral("File Location: "), form), u"lblDirectory");
    btnBrowse =
        Named(new QPushButton(QStringLiteral("Change Log File Directory"), form), u"btnBrowse");
    cmboSensors = Named(new QComboBox(form), u"cmboSensors");
    cmboSensors->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *grid = new QGridLayout(form);
    grid->addWidget(lblDirectory, 0, 0, 1, 2);
    grid->addWidget(btnBrowse, 1, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(cmboSensors, 2, 0, 1, 2);
    const QString dayTitles[] = {QStringLiteral("Start Date"), QStringLiteral("End Date")};
    for (int i = 0; i < 2; ++i) {
        auto *frame = new QGroupBox(dayTitles[i], form);
        Calendar[i] = Named(new QCalendarWidget(frame), QStringLiteral("Calendar(%1)").arg(i));
        lblStart[i] = Named(new QLabel(frame), QStringLiteral("lblStart(%1)").arg(i));
        auto *column = new QVBoxLayout(frame);
        column->addWidget(Calendar[i]);
        column->addWidget(lblStart[i]);
        grid->addWidget(frame, 3, i);
        connect(Calendar[i], &QCalendarWidget::selectionChanged, this,
                [this, i] { Calendar_Click(i); });
    }
    const QString options[] = {
        QStringLiteral("Create a chart of the data between the selected dates"),
        QStringLiteral("Output the data between the selected dates to a .csv file")};
    for (int i = 0; i < 2; ++i) {
        optOutput[i] =
            Named(new QRadioButton(options[i], form), QStringLiteral("optOutput(%1)").arg(i));
        grid->addWidget(optOutput[i], 4 + i, 0, 1, 2);
    }
    optOutput[0]->setChecked(true);
    lblRecordNum = Named(new QLabel(QStringLiteral("Scanning Record #:"), form), u"lblRecordNum");
    txtRecordNum = Named(new QLineEdit(form), u"txtRecordNum");
    txtRecordNum->setReadOnly(true);
    btnGo = Named(new QPushButton(QStringLiteral("Go >>"), form), u"btnGo");
    btnCancel = Named(new QPushButton(QStringLiteral("Cancel Chart"), form), u"btnCancel");
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblRecordNum);
    bottom->addWidget(txtRecordNum);
    bottom->addStretch(1);
    bottom->addWidget(btnCancel);
    bottom->addWidget(btnGo);
    grid->addLayout(bottom, 6, 0, 1, 2);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QMenu *advanced = file->addMenu(QStringLiteral("&Advanced"));
    advanced->setObjectName(QStringLiteral("mnuAdvanced"));
    mnuConvertAll = advanced->addAction(QStringLiteral("Convert All Data To CSV"));
    mnuConvertAll->setObjectName(QStringLiteral("mnuConvertAll"));
    mnuExit = file->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    m_progress.text = [this](const QString &text) { ShowProgress(text); };
    m_progress.number = [this](qint64 n) { txtRecordNum->setText(QString::number(n)); };

    connect(cmboSensors, &QComboBox::currentIndexChanged, this,
            &frmReportWizard::cmboSensors_Click);
    connect(btnBrowse, &QPushButton::clicked, this, &frmReportWizard::btnBrowse_Click);
    connect(btnGo, &QPushButton::clicked, this, &frmReportWizard::btnGo_Click);
    connect(btnCancel, &QPushButton::clicked, this, [] { Graphing().CancelRequested = true; });
    connect(mnuConvertAll, &QAction::triggered, this, &frmReportWizard::BatchToCSV);
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);

    // Load.
    Graphing().CancelRequested = false;
    Graphing().CloseRequested = false;
    btnCancel->hide();
    HideProgress();
    setWindowTitle(QStringLiteral("Vantrel Chart Wizard ") + ProgramInfo::VersionNumbers());
    Graphing().DataFolder = ProgramFolder();
    lblDirectory->setText(Graphing().DataFolder);
    adjustSize();
    CentreOnScreen(this);
    InitCalendar();
}

void frmReportWizard::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        Form_Activate();
    }
}

void frmReportWizard::closeEvent(QCloseEvent *event)
{
    Graphing().CloseRequested = true;
    QMainWindow::closeEvent(event);
}

void frmReportWizard::Form_Activate()
{
    LoadLogFiles(Graphing().DataFolder);
}

void frmReportWizard::InitCalendar()
{
    for (QCalendarWidget *calendar : Calendar) {
        calendar->show();
        calendar->setSelectedDate(Clock::Now().date());
    }
}

void frmReportWizard::LoadLogFiles(const QString &folder)
{
    const QSignalBlocker quiet(cmboSensors);
    cmboSensors->clear();
    LogFileNames.clear();
    LogSensorIDs.clear();
    for (const RecordFileEntry &entry : ListRecordFiles(folder)) {
        QString first;
        QString last;
        if (GetLogDateRange(QDir(folder).filePath(entry.name), entry.kind, first, last)) {
            if (!ParseGeneralDate(first))
                first = QStringLiteral("Unknown Start Date");
            if (!ParseGeneralDate(last))
                last = QStringLiteral("Unknown End Date");
        }
        ReadSensorHeader(entry.sensorId, folder);
        const QString names = QStringLiteral("Server: ") + HeaderServerName() +
                              QStringLiteral(" Sensor: ") + HeaderSensorName();
        QString text;
        if (first.isEmpty() || last.isEmpty())
            text = names + QStringLiteral(" There is not enough data to graph");
        else
            text = names +
                   (entry.kind == RecordKind::Average ? QStringLiteral(": Averaged readings. ")
                                                      : QStringLiteral(": All data. ")) +
                   kAvailableFrom + first + kTo + last;
        cmboSensors->addItem(text);
        LogFileNames.append(entry.name);
        LogSensorIDs.append(entry.sensorId);
    }
    // Longer entries widen the list and the window with it, which stays on the screen.
    cmboSensors->setMinimumWidth(cmboSensors->sizeHint().width());
    FitToScreen(this);
    if (cmboSensors->count() == 0)
        return;
    const bool kept = SelectedLogIndex >= 0 && SelectedLogIndex < cmboSensors->count();
    cmboSensors->setCurrentIndex(kept ? SelectedLogIndex : 0);
    cmboSensors_Click();
}

void frmReportWizard::cmboSensors_Click()
{
    const QString text = cmboSensors->currentText();
    const qsizetype from = text.indexOf(kAvailableFrom);
    if (from < 0)
        return;
    const QString range = text.mid(from + kAvailableFrom.size());
    const qsizetype to = range.indexOf(kTo);
    if (to < 0)
        return;
    const QString endText = range.mid(to + kTo.size());
    const std::optional<QDateTime> start = ParseGeneralDate(range.left(to));
    const std::optional<QDateTime> end = ParseGeneralDate(endText);
    if (!start || !end)
        return;
    Calendar[0]->setSelectedDate(start->date());
    Calendar[1]->setSelectedDate(end->date());
    lblStart[0]->setText(GeneralDateText(QDateTime(start->date(), QTime(0, 0))));
    lblStart[1]->setText(endText);
}

void frmReportWizard::Calendar_Click(int index)
{
    lblStart[index]->setText(DateText(index));
}

QString frmReportWizard::DateText(int index) const
{
    return GeneralDateText(QDateTime(Calendar[index]->selectedDate(), QTime(0, 0)));
}

QString frmReportWizard::MonthYear(int index) const
{
    const QDate day = Calendar[index]->selectedDate();
    return QString::number(day.month()) + u'-' + QString::number(day.year());
}

void frmReportWizard::btnBrowse_Click()
{
    frmBrowse picker(Graphing().DataFolder, nullptr, this);
    picker.Dir1->SetPath(lblDirectory->text());
    picker.exec();
    lblDirectory->setText(Graphing().DataFolder);
    Form_Activate();
}

void frmReportWizard::btnGo_Click()
{
    Graphing().CancelRequested = false;
    Graphing().CloseRequested = false;
    const QString startDate = DateText(0);
    const QString endDate = DateText(1);
    if (Calendar[0]->selectedDate().daysTo(Calendar[1]->selectedDate()) < 0) {
        Prompt::Show(QStringLiteral("An invalid date has been selected.  Please verify that the "
                                    "start and end dates are within range of the available "
                                    "data."));
        return;
    }
    const int position = cmboSensors->currentIndex();
    if (position < 0 || position >= LogFileNames.size()) {
        Prompt::Show(Graphing().CancelRequested
                         ? QStringLiteral("Chart generation was canceled.")
                         : QStringLiteral("There was an error generating this chart.  The error "
                                          "is No record file is selected."));
        return;
    }
    SelectedLogIndex = qint16(position);
    const qint32 sensorId = LogSensorIDs.at(position);
    const QString fileName = LogFileNames.at(position);
    ReadSensorHeader(sensorId, Graphing().DataFolder);

    if (optOutput[0]->isChecked()) {
        frmGraph graph(this);
        graph.SensorIDNum = sensorId;
        graph.StartDate = startDate;
        graph.EndDate = endDate;
        graph.FileName = fileName;
        graph.searchProgress = &m_progress;
        graph.exec();
        HideProgress();
        Form_Activate();
        return;
    }

    const QString sensor = HeaderSensorName();
    const std::optional<QString> csvPath =
        Prompt::SaveFileName({QStringLiteral("Save ") + sensor + QStringLiteral(" log data from ") +
                                  startDate + kTo + endDate + QStringLiteral(" to a .csv file"),
                              lblDirectory->text(), kCsvFilter,
                              FileNamePart(sensor).value_or(QString()) + u' ' + MonthYear(0) + kTo +
                                  MonthYear(1) + QStringLiteral(".csv")});
    if (!csvPath) {
        Prompt::Show(QStringLiteral("Exporting data to csv file was canceled by user."));
        return;
    }
    SetRunning(true);
    const bool exported = LogFileToCSV(fileName, *csvPath, startDate, endDate);
    SetRunning(false);
    if (Graphing().CloseRequested)
        return;
    if (Graphing().CancelRequested)
        Prompt::Show(QStringLiteral("Chart generation has been canceled."));
    else if (exported)
        Prompt::Show(QStringLiteral("CSV file ") + *csvPath +
                     QStringLiteral(" has been successfully created."));
    else
        Prompt::Show(QStringLiteral("An error has occurred while creating CSV file ") + *csvPath +
                     QStringLiteral("  The error is ") + m_lastError);
}

bool frmReportWizard::LogFileToCSV(const QString &fileName, const QString &csvPath,
                                   const QString &startDate, const QString &endDate)
{
    ShowProgress(QStringLiteral("Scanning Record #:"));
    const ExportResult result = ExportRange(fileName, csvPath, startDate, endDate, m_progress);
    HideProgress();
    m_lastError = result.errorText;
    if (result.outcome == ExportResult::Outcome::Failed)
        Prompt::Show(result.errorText);
    return result.outcome == ExportResult::Outcome::Done;
}

bool frmReportWizard::LogAllDataToCSVFile(const QString &fileName, const QString &csvPath)
{
    ShowProgress(QStringLiteral("Creating file: ") + csvPath +
                 QStringLiteral(". Writing Record #:"));
    const ExportResult result =
        ExportAll(QDir(Graphing().DataFolder).filePath(fileName),
                  RecordFileKind(fileName).value_or(RecordKind::Instant), csvPath, m_progress);
    HideProgress();
    m_lastError = result.errorText;
    return result.outcome == ExportResult::Outcome::Done;
}

void frmReportWizard::BatchToCSV()
{
    // A chart closed or an export cancelled before must not stop this run.
    Graphing().CancelRequested = false;
    Graphing().CloseRequested = false;
    if (LogSensorIDs.isEmpty())
        return;
    const QString folder = Graphing().DataFolder;
    ReadSensorHeader(LogSensorIDs.first(), folder);
    const std::optional<QString> chosen = Prompt::SaveFileName(
        {QStringLiteral("Save To:"), folder, kCsvFilter,
         FileNamePart(HeaderSensorName()).value_or(QString()) + QStringLiteral(".csv")});
    if (!chosen)
        return;
    // The user picks a folder by confirming the proposed name in it.
    const QString outputFolder = QFileInfo(*chosen).absolutePath();

    SetRunning(true);
    QHash<QString, qint32> written; // CSV file -> the sensor it holds
    QStringList failed;
    const QStringList files = LogFileNames;
    const QList<qint32> sensors = LogSensorIDs;
    for (qsizetype i = 0; i < files.size(); ++i) {
        ReadSensorHeader(sensors.at(i), folder);
        const RecordKind kind = RecordFileKind(files.at(i)).value_or(RecordKind::Instant);
        QString first;
        QString last;
        // A file without a dated first record (each month starts with a one-record file)
        // has nothing to name its CSV file by: it is passed over.
        if (!GetLogDateRange(QDir(folder).filePath(files.at(i)), kind, first, last) ||
            !ParseGeneralDate(first))
            continue;
        std::optional<QString> csvPath =
            BatchCsvPath(outputFolder, HeaderSensorName(), kind, first);
        if (csvPath && written.value(*csvPath, sensors.at(i)) != sensors.at(i))
            csvPath = BatchCsvPath(outputFolder,
                                   HeaderSensorName() + u' ' + QString::number(sensors.at(i)), kind,
                                   first);
        if (!csvPath) {
            failed << files.at(i) + QStringLiteral(": the sensor name \"") + HeaderSensorName() +
                          QStringLiteral("\" cannot name a file");
            continue;
        }
        written.insert(*csvPath, sensors.at(i));
        if (LogAllDataToCSVFile(files.at(i), *csvPath))
            continue;
        if (StopRequested())
            break;
        failed << files.at(i) + QStringLiteral(" to ") + *csvPath + QStringLiteral(": ") +
                      m_lastError;
    }
    SetRunning(false);
    if (!failed.isEmpty())
        Prompt::Show(QStringLiteral("These files could not be converted to CSV:\n") +
                     failed.join(u'\n'));
}

void frmReportWizard::ShowProgress(const QString &text)
{
    lblRecordNum->setText(text);
    lblRecordNum->show();
    txtRecordNum->show();
}

void frmReportWizard::HideProgress()
{
    lblRecordNum->hide();
    txtRecordNum->hide();
}

void frmReportWizard::SetRunning(bool running)
{
    btnGo->setVisible(!running);
    btnCancel->setVisible(running);
    for (QWidget *input : std::initializer_list<QWidget *>{btnBrowse, cmboSensors, Calendar[0],
                                                           Calendar[1], optOutput[0], optOutput[1]})
        input->setEnabled(!running);
    mnuConvertAll->setEnabled(!running);
}
