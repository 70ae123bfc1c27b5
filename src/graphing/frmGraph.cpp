#include "frmGraph.h"

#include "ChartData.h"
#include "FormControls.h"
#include "GraphChart.h"
#include "GraphingMain.h"
#include "LineEditKeyFilter.h"
#include "Prompt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kAveraged = 0;
constexpr int kInstantaneous = 1;

const QString kNotEnoughData =
    QStringLiteral("There is currently not enough data for this sensor to graph.");

std::optional<double> Numeric(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

frmGraph::frmGraph(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Vantrel Graph Output"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinMaxButtonsHint);
    // Where no window manager maximises it, it keeps this size: the screen less 2000
    // twips each way, at 15 twips a pixel.
    constexpr int kMargin = 2000 / 15;
    resize(screen()->availableGeometry().size() - QSize(kMargin, kMargin));
    setWindowState(Qt::WindowMaximized);

    XYChart4 = new GraphChart(this);
    txtMaxScale = Named(new QLineEdit(QStringLiteral("Max Scale"), this), u"txtMaxScale");
    txtMinScale = Named(new QLineEdit(QStringLiteral("Min Scale"), this), u"txtMinScale");
    btnApplyScale = Named(new QPushButton(QStringLiteral("Apply"), this), u"btnApplyScale");
    lblRecordNum = Named(new QLabel(QStringLiteral("Reading Record #:"), this), u"lblRecordNum");
    txtRecordNum = Named(new QLineEdit(this), u"txtRecordNum");
    txtRecordNum->setReadOnly(true);
    cmdClose = Named(new QPushButton(QStringLiteral("Close"), this), u"cmdClose");
    for (QLineEdit *box : {txtMaxScale, txtMinScale})
        box->installEventFilter(new LineEditKeyFilter(KeyRule::Number, box));
    for (QPushButton *button : {btnApplyScale, cmdClose})
        button->setAutoDefault(false);

    // The chart takes the window; the scale and progress boxes stand in a column beside it.
    auto *controls = new QVBoxLayout;
    for (QWidget *control : std::initializer_list<QWidget *>{
             txtMaxScale, txtMinScale, btnApplyScale, lblRecordNum, txtRecordNum})
        controls->addWidget(control);
    controls->addStretch(1);
    controls->addWidget(cmdClose);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(XYChart4, 1);
    layout->addLayout(controls);
    ShowProgress(false);

    connect(btnApplyScale, &QPushButton::clicked, this, &frmGraph::btnApplyScale_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmGraph::cmdClose_Click);
    Graphing().CancelRequested = false;
    Graphing().CloseRequested = false;
}

// The chart is read once, when the window first shows; queued so that the window is on
// screen (and can be closed) while the file is read.
void frmGraph::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    QTimer::singleShot(0, this, &frmGraph::Form_Activate);
}

void frmGraph::Form_Activate()
{
    if (Graphing().CloseRequested)
        return;
    WaitCursor hourglass;
    ReadSensorHeader(SensorIDNum, Graphing().DataFolder);
    setWindowTitle(QStringLiteral("Report for ") + HeaderSensorName() + QStringLiteral(" from ") +
                   StartDate + QStringLiteral(" to ") + EndDate);
    if (FileName.toLower().contains(QStringLiteral("average")))
        ScanLogFile();
    else
        ScanInstLogFile();
}

void frmGraph::ShowProgress(bool shown)
{
    lblRecordNum->setVisible(shown);
    txtRecordNum->setVisible(shown);
}

void frmGraph::ScanLogFile()
{
    lblRecordNum->setText(QStringLiteral("Reading Record #:"));
    ShowProgress(true);
    const Progress progress{[](const QString &) {},
                            [this](qint64 n) { txtRecordNum->setText(QString::number(n)); }};
    const ScanResult result = ::ScanLogFile(FileName, StartDate, EndDate, progress);
    ShowProgress(false);
    if (result.outcome == ScanResult::Outcome::Done) {
        txtMaxScale->setText(QString::number(double(result.maximum), 'g', 7));
        txtMinScale->setText(QString::number(double(result.minimum), 'g', 7));
    }
    ShowChart(result, kAveraged);
}

void frmGraph::ScanInstLogFile()
{
    lblRecordNum->setText(QStringLiteral("Reading Record #:"));
    ShowProgress(true);
    const Progress own{[this](const QString &text) { lblRecordNum->setText(text); },
                       [this](qint64 n) { txtRecordNum->setText(QString::number(n)); }};
    const ScanResult result = ::ScanInstLogFile(FileName, StartDate, EndDate,
                                                searchProgress ? *searchProgress : own, own);
    ShowProgress(false);
    ShowChart(result, kInstantaneous);
}

void frmGraph::ShowChart(const ScanResult &result, int chartKind)
{
    switch (result.outcome) {
    case ScanResult::Outcome::Done:
        ConfigureChart(chartKind);
        XYChart4->SetChartData(result.data);
        break;
    case ScanResult::Outcome::NotEnoughData:
        Prompt::Show(kNotEnoughData);
        break;
    case ScanResult::Outcome::Stopped:
        break;
    case ScanResult::Outcome::Failed:
        if (!StopRequested())
            Prompt::Show(chartKind == kAveraged
                             ? result.errorText
                             : QStringLiteral("An error was incountered while creating this "
                                              "graph.  The error is : ") +
                                   result.errorText);
        break;
    }
}

void frmGraph::ConfigureChart(int chartKind)
{
    const QString sensor = HeaderSensorName();
    XYChart4->ConfigureChart(chartKind == kAveraged,
                             sensor + QStringLiteral(" From ") + StartDate +
                                 QStringLiteral(" To ") + EndDate,
                             sensor, HeaderUnits());
}

void frmGraph::btnApplyScale_Click()
{
    const std::optional<double> high = Numeric(txtMaxScale->text());
    const std::optional<double> low = Numeric(txtMinScale->text());
    QLineEdit *refused = !high ? txtMaxScale : !low ? txtMinScale : nullptr;
    if (refused) {
        Prompt::Show(QStringLiteral("Please enter a numeric value."));
        refused->clear();
        refused->setFocus();
        return;
    }
    XYChart4->FixValueAxis(*low, *high);
}

void frmGraph::cmdClose_Click()
{
    close();
}

void frmGraph::closeEvent(QCloseEvent *event)
{
    Graphing().CloseRequested = true;
    QDialog::closeEvent(event);
}

// Esc closes the window as its Close button does.
void frmGraph::reject()
{
    Graphing().CloseRequested = true;
    QDialog::reject();
}
