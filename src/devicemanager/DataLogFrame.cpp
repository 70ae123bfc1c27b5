// The data-log frame: the device clock and log rate, the data-log and high/low downloads,
// the log grid and its CSV export.
#include "frmTreeConfiguration.h"

#include "FormControls.h"
#include "FormLayout.h"
#include "LogGridModel.h"
#include "ProgramFolder.h"
#include "Prompt.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kRawLogFile = QStringLiteral("LastDownloadedDataLogFile.bin");

} // namespace

QGroupBox *frmTreeConfiguration::BuildDateTimeFrame()
{
    frmDateTime =
        Named(new QGroupBox(QStringLiteral("On-Board Data Log Parameters"), this), u"frmDateTime");
    txtDT = Named(new QLineEdit(frmDateTime), u"txtDT");
    txtDT->setReadOnly(true);
    txtUR = Named(new QLineEdit(frmDateTime), u"txtUR");
    txtUR->setToolTip(QStringLiteral("This value is how often data is stored in the on board data "
                                     "log.  Valid range is 1 to 60 minutes."));
    txtNR = Named(new QLineEdit(frmDateTime), u"txtNR");
    txtNR->setReadOnly(true);
    btnStoreDateTime =
        Named(new QPushButton(QStringLiteral("Save Time and Update Rate to Server"), frmDateTime),
              u"btnStoreDateTime");
    btnStoreDateTime->setToolTip(
        QStringLiteral("Click this button to store the time and the update rate to the server."));
    btnGetLogFile =
        Named(new QPushButton(QStringLiteral("Download On-Board Temperature Data"), frmDateTime),
              u"btnGetLogFile");
    btnGetLogFile->setToolTip(QStringLiteral("Download all log records."));
    btnDownloadHiLoReadings =
        Named(new QPushButton(QStringLiteral("Download Daily Hi-Low Readings"), frmDateTime),
              u"btnDownloadHiLoReadings");
    btnDownloadHiLoReadings->setToolTip(QStringLiteral("Download all log records."));
    btnExportLog = Named(new QPushButton(QStringLiteral("Export data to .csv file"), frmDateTime),
                         u"btnExportLog");
    btnExportLog->setToolTip(QStringLiteral("Export all log records to a .csv file."));
    btnExportLog->hide();

    m_logModel = new LogGridModel(this);
    gridLog = Named(new QTableView(frmDateTime), u"gridLog");
    gridLog->setModel(m_logModel);
    gridLog->setMinimumWidth(360);
    gridLog->verticalHeader()->hide();
    gridLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridLog->setSortingEnabled(false);

    auto *rate = new QHBoxLayout;
    rate->addWidget(txtUR);
    rate->addWidget(new QLabel(QStringLiteral("(Valid range: 1 to 60 minutes)"), frmDateTime));
    auto *boxes = new QFormLayout;
    boxes->addRow(QStringLiteral("Local Time at Server:"), txtDT);
    boxes->addRow(QStringLiteral("Update Rate (min):"), rate);
    boxes->addRow(QStringLiteral("Number of Log Records:"), txtNR);
    auto *downloads = new QHBoxLayout;
    downloads->addWidget(btnGetLogFile);
    downloads->addWidget(btnDownloadHiLoReadings);
    downloads->addWidget(btnExportLog);
    auto *layout = new QVBoxLayout(frmDateTime);
    layout->addLayout(boxes);
    layout->addWidget(btnStoreDateTime);
    layout->addLayout(downloads);
    layout->addWidget(gridLog, 1);
    // Beside the tree and the server frame, three buttons in a row are wider than most screens.
    StackWhenNarrow(downloads);

    connect(btnStoreDateTime, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnStoreDateTime_Click);
    connect(btnGetLogFile, &QPushButton::clicked, this, &frmTreeConfiguration::btnGetLogFile_Click);
    connect(btnDownloadHiLoReadings, &QPushButton::clicked, this,
            &frmTreeConfiguration::btnDownloadHiLoReadings_Click);
    connect(btnExportLog, &QPushButton::clicked, this, &frmTreeConfiguration::btnExportLog_Click);
    return frmDateTime;
}

void frmTreeConfiguration::ClearLog()
{
    m_logModel->SetTable(std::nullopt);
    btnExportLog->hide();
}

void frmTreeConfiguration::ShowLog(const LogTable &table)
{
    m_logModel->SetTable(table);
    QHeaderView *header = gridLog->horizontalHeader();
    for (int column = 0; column < table.widths.size(); ++column) {
        const int twips = table.widths[column];
        const int width =
            twips == kDefaultWidth ? header->defaultSectionSize() : TwipsToPixels(twips, *gridLog);
        // Narrower than a character (the record number, the smaller grids' sort key) is
        // meant unseen; any other column is never narrower than its heading, which then
        // shows whole.
        const bool unseen = width < gridLog->fontMetrics().averageCharWidth();
        gridLog->setColumnHidden(column, unseen);
        if (!unseen)
            gridLog->setColumnWidth(column, std::max(width, header->sectionSizeHint(column)));
    }
}

void frmTreeConfiguration::ReadClock(const QString &ipAddress)
{
    QString text;
    int rate = 0;
    qint64 count = 0;
    const bool read = ReadDeviceDateTime(ipAddress, text, rate, count);
    txtDT->setText(text);
    // Without a count a download fails at once instead of fetching nothing.
    txtUR->setText(read ? QString::number(rate) : QString());
    txtNR->setText(read ? QString::number(count) : QString());
}

void frmTreeConfiguration::btnStoreDateTime_Click()
{
    if (m_busy)
        return;
    const QString entry = txtUR->text();
    if (entry.isEmpty()) {
        Prompt::Show(QStringLiteral("Please enter a value for the log update rate."));
        return;
    }
    bool isNumber = false;
    const double rate = QLocale::c().toDouble(entry.trimmed(), &isNumber);
    // "nan" and "inf" read as numbers, and NaN passes any range test.
    if (!isNumber || !std::isfinite(rate) || rate < 1 || rate > 60) {
        Prompt::Show(QStringLiteral("The valid update rate is between 1 and 60 minutes"));
        txtUR->setText(QStringLiteral("5"));
        txtUR->setFocus();
        return;
    }
    const BusyScope busy(*this);
    txtDT->clear();
    QByteArray reply;
    QString text = QStringLiteral("Upload failed");
    if (StoreDeviceDateTime(txtServerIPAddress->text(), int(std::nearbyint(rate)), reply))
        DecodeDateTime(reply, text, 6);
    txtDT->setText(text);
}

void frmTreeConfiguration::btnGetLogFile_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    const QString name = txtServerName->text();
    ShowResult(QStringLiteral("0  Downloading log records from ") + name, false);
    // The clock counts records; a device without a known layout is waited for in bytes.
    const std::optional<DataLogLayout> layout = DataLogLayoutFor(Identity());
    bool isNumber = false;
    const qint64 count = txtNR->text().toLongLong(&isNumber);
    QByteArray data;
    if (!isNumber || count < 0 ||
        !DownloadDataLog(txtServerIPAddress->text(), data, 0,
                         layout ? count * layout->recordSize : count)) {
        m_logData = "Fail";
        ShowResult(QStringLiteral("Failure while downloading log records from ") + name, true);
        btnExportLog->hide();
        return;
    }
    m_logData = data;
    if (const std::optional<LogTable> table = ShowDataLog(data, Identity()))
        ShowLog(*table);
    ShowResult(lblServerError->text(), false);
    btnExportLog->show();

    // Written whole or not at all: a failed write keeps the previous download.
    const QString path = ProgramFile(kRawLogFile);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        lblServerError->setText(QStringLiteral("Failure while creating binary file ") + path +
                                QStringLiteral(".  The error is ") + file.errorString());
}

void frmTreeConfiguration::btnDownloadHiLoReadings_Click()
{
    if (m_busy)
        return;
    const BusyScope busy(*this);
    ClearLog();
    const QString name = txtServerName->text();
    ShowResult(QStringLiteral("0  Downloading Hi Low records from ") + name, false);
    m_logData.clear();
    if (!DownloadHiLoReadings(txtServerIPAddress->text(), m_logData)) {
        ShowResult(QStringLiteral("Failure while downloading Daily High/Low records from ") + name,
                   true);
        return;
    }
    ShowLog(ShowHiLoRecords(m_logData));
    ShowResult(lblServerError->text(), false);
    btnExportLog->show();
}

void frmTreeConfiguration::btnExportLog_Click()
{
    if (m_busy)
        return;
    QString proposal = txtServerName->text() + QStringLiteral(".csv");
    proposal.replace(QLatin1Char('/'), QLatin1Char('_'));
    const std::optional<QString> path =
        Prompt::SaveFileName({QStringLiteral("Export log file"), ProgramFolder(),
                              QStringLiteral("All CSV Files (*.csv)"), proposal});
    if (!path || path->isEmpty())
        return;
    if (m_logModel->Table() && SaveLogRecordsToFile(*m_logModel->Table(), *path))
        Prompt::Show(QStringLiteral("The file ") + *path + QStringLiteral(" has been created"));
    else
        Prompt::Show(QStringLiteral("There was an error creating the log file ") + *path +
                     QStringLiteral(".  No log file has been created."));
}
