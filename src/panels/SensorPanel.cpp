#include "SensorPanel.h"

#include "DeviceCommands.h"
#include "DeviceTransport.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "LineEditKeyFilter.h"
#include "NumberText.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "SharedLayouts.h"
#include "StatusGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kCalibrationPauseMs = 2000;
// The longest text a reading shows: "Water Not Detected".
constexpr int kReadingCharacters = 18;

// A key press in a limit box takes back the yellow of a refused value.
class WhiteOnKeyPress final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Keys that type (Backspace among them), not the arrows or Tab.
        if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent *>(event)->text().isEmpty())
            SetBackColour(static_cast<QWidget *>(watched), kColourWhite);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QStringList NumberedCaptions(const QString &stem, int count)
{
    QStringList captions;
    for (int i = 1; i <= count; ++i)
        captions << stem + QString::number(i);
    return captions;
}

SensorPanel::SensorPanel(const SensorRows &rows, PanelTables tables, QWidget *parent)
    : PanelEngine(std::move(tables), parent), m_columns(rows.columns),
      m_factorsInTenths(rows.factorsInTenths), m_closesConnection(rows.closesConnection),
      m_headings(rows.headings)
{
    btnNotes = Named(new QPushButton(QStringLiteral("Notes"), this), u"btnNotes");
    BuildRows(rows);
    if (rows.calibratedRows > 0)
        BuildCalibration(rows);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnRefresh);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnNotes);
    if (btnCal)
        buttons->addWidget(btnCal);
    buttons->addStretch();
    buttons->addWidget(btnClose);

    auto *side = new QVBoxLayout;
    side->addWidget(frmNotes);
    if (frmCal)
        side->addWidget(frmCal);
    side->addStretch();
    auto *main = new QHBoxLayout;
    main->addLayout(m_grid);
    main->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(main);
    m_modelArea = new QVBoxLayout;
    layout->addLayout(m_modelArea);
    layout->addWidget(lblStatus);
    layout->addWidget(lstStatus);
    layout->addLayout(buttons);

    m_commandButtons = {btnClose, btnSave, btnNotes, btnRefresh};
    if (btnCal)
        m_commandButtons.append(btnCal);
    OnClick(btnRefresh, [this] { btnRefresh_Click(); });
    OnClick(btnSave, [this] { btnSave_Click(); });
    OnClick(btnClose, [this] { btnClose_Click(); });
    connect(btnNotes, &QPushButton::clicked, this, &SensorPanel::btnNotes_Click);
}

void SensorPanel::BuildRows(const SensorRows &rows)
{
    const QStringList &captions = rows.captions;
    m_grid = new QGridLayout;
    for (int c = 0, named = 0; c < m_columns.size(); ++c) {
        auto *heading = new QLabel(m_columns.at(c).caption, this);
        if (!rows.headingStem.isEmpty() && !heading->text().isEmpty())
            heading->setObjectName(rows.headingStem + u'(' + QString::number(named++) + u')');
        m_grid->addWidget(heading, 0, c + 2);
    }
    frmNotes = Named(new QGroupBox(rows.notesCaption, this), u"frmNotes");
    auto *notes = new QVBoxLayout(frmNotes);
    frmNotes->hide();
    const auto box = [this](const char16_t *stem, int i, KeyRule *rule) {
        auto *b = Named(new QLineEdit(this), Indexed(stem, i));
        if (rule)
            b->installEventFilter(new LineEditKeyFilter(*rule, b));
        return b;
    };
    KeyRule number = KeyRule::Number;
    KeyRule digits = KeyRule::Digits;
    KeyRule name = KeyRule::NameChar;
    const qsizetype limitRows = rows.limitRows < 0 ? captions.size() : rows.limitRows;
    const struct {
        const char16_t *stem;
        QList<QLineEdit *> SensorPanel::*boxes;
        KeyRule *rule;
        bool limit;
    } kinds[] = {
        {u"txtReading", &SensorPanel::txtReading, nullptr, false},
        {u"txtLL", &SensorPanel::txtLL, &number, true},
        {u"txtUL", &SensorPanel::txtUL, &number, true},
        {u"txtTOL", &SensorPanel::txtTOL, &digits, false},
    };
    for (int i = 0; i < captions.size(); ++i) {
        if (const auto heading = m_headings.find(i); heading != m_headings.end())
            m_grid->addWidget(new QLabel(heading->second, this), GridRow(i) - 1, 1, 1, -1);
        lblSensorType.append(Named(new QLabel(captions.at(i), this), Indexed(u"lblSensorType", i)));
        txtName.append(box(u"txtName", i, rows.nameFilter ? &name : nullptr));
        m_grid->addWidget(lblSensorType.last(), GridRow(i), 0);
        m_grid->addWidget(txtName.last(), GridRow(i), 1);
        for (const auto &kind : kinds) {
            const int column = ColumnOf(QString::fromUtf16(kind.stem));
            if (column < 0 || (kind.limit && i >= limitRows))
                continue;
            QLineEdit *b = box(kind.stem, i, kind.rule);
            (this->*kind.boxes).append(b);
            // Under the middle of its column heading, which is wider than most boxes.
            m_grid->addWidget(b, GridRow(i), column + 2, Qt::AlignHCenter);
            if (QStringView(kind.stem) == u"txtReading") {
                b->setEnabled(false);
                SizeForText(b, kReadingCharacters, BoxText::Text);
            }
            if (kind.limit && rows.keyWhitensLimit)
                b->installEventFilter(new WhiteOnKeyPress(b));
        }
        txtNotes.append(box(u"txtNotes", i, nullptr));
        notes->addWidget(txtNotes.last());
    }
}

int SensorPanel::ColumnOf(const QString &stem) const
{
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).stem == stem)
            return c;
    }
    return -1;
}

void SensorPanel::BuildRelayAndBuzzer(QWidget *relayFrame, QWidget *buzzerFrame,
                                      QRadioButton *(&relay)[2], QRadioButton *(&buzzer)[2])
{
    const QString relayTexts[2] = {
        QStringLiteral("Turn on alarm relay when a sensor goes into alarm."),
        QStringLiteral(
            "Turn off alarm relay when a sensor goes into alarm or the main power fails.")};
    const QString buzzerTexts[2] = {QStringLiteral("Enable Alarm Buzzer"),
                                    QStringLiteral("Disable Alarm Buzzer")};
    auto *relayLayout = new QVBoxLayout(relayFrame);
    auto *buzzerLayout = new QVBoxLayout(buzzerFrame);
    for (int e = 0; e < 2; ++e) {
        relay[e] = Named(new QRadioButton(relayTexts[e], relayFrame), Indexed(u"optRelayLogic", e));
        relayLayout->addWidget(relay[e]);
        buzzer[e] =
            Named(new QRadioButton(buzzerTexts[e], buzzerFrame), Indexed(u"optEnableBuzzer", e));
        buzzerLayout->addWidget(buzzer[e]);
    }
}

// Below the column headings, each heading taking a grid row of its own.
int SensorPanel::GridRow(int row) const
{
    int gridRow = row + 1;
    for (const auto &heading : m_headings)
        gridRow += heading.first <= row ? 1 : 0;
    return gridRow;
}

void SensorPanel::PlaceInRow(int row, const QString &stem, QWidget *widget)
{
    m_grid->addWidget(widget, GridRow(row), ColumnOf(stem) + 2);
}

void SensorPanel::BuildCalibration(const SensorRows &rows)
{
    btnCal = Named(new QPushButton(QStringLiteral("Cal"), this), u"btnCal");
    frmCal = Named(new QGroupBox(QStringLiteral("Temperature Calibration"), this), u"frmCal");
    frmCal->hide();
    auto *grid = new QGridLayout;
    const QString headings[2] = {QStringLiteral("Actual Temperature"),
                                 QStringLiteral("Correction")};
    for (int c = 0; c < 2; ++c) {
        lblCal.append(Named(new QLabel(headings[c], frmCal), Indexed(u"lblCal", c)));
        grid->addWidget(lblCal.last(), 0, c + 1);
    }
    for (int i = 0; i < rows.calibratedRows; ++i) {
        lblName.append(Named(new QLabel(frmCal), Indexed(u"lblName", i)));
        txtActualTemp.append(Named(new QLineEdit(frmCal), Indexed(u"txtActualTemp", i)));
        txtActualTemp.last()->installEventFilter(
            new LineEditKeyFilter(KeyRule::Number, txtActualTemp.last()));
        // An actual temperature becomes a factor in tenths: it takes the factor's width.
        SizeForText(txtActualTemp.last(), FieldCharacters({0, 0, {}, Codec::Tenths}),
                    BoxText::Digits);
        txtCF.append(Named(new QLineEdit(frmCal), Indexed(u"txtCF", i)));
        grid->addWidget(lblName.last(), i + 1, 0);
        grid->addWidget(txtActualTemp.last(), i + 1, 1);
        grid->addWidget(txtCF.last(), i + 1, 2);
    }
    btnStoreCalFactors = Named(new QPushButton(rows.storeCaption, frmCal), u"btnStoreCalFactors");
    btnStoreCalFactors->setToolTip(rows.storeTip);
    btnReset = Named(new QPushButton(rows.resetCaption, frmCal), u"btnReset");
    btnCloseCal = Named(new QPushButton(QStringLiteral("Close"), frmCal), u"btnCloseCal");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnStoreCalFactors);
    buttons->addWidget(btnReset);
    buttons->addWidget(btnCloseCal);
    m_calibrationArea = new QVBoxLayout(frmCal);
    m_calibrationArea->addLayout(grid);
    m_calibrationArea->addLayout(buttons);

    connect(btnCal, &QPushButton::clicked, this, [this] { btnCal_Click(); });
    connect(btnCloseCal, &QPushButton::clicked, this, [this] { btnCloseCal_Click(); });
    OnClick(btnStoreCalFactors, [this] { btnStoreCalFactors_Click(); });
    OnClick(btnReset, [this] { btnReset_Click(); });
}

void SensorPanel::ClearTextBoxes()
{
    for (const QList<QLineEdit *> *boxes :
         {&txtNotes, &txtName, &txtUL, &txtLL, &txtTOL, &txtReading, &txtCF}) {
        for (QLineEdit *box : *boxes)
            box->clear();
    }
    PanelEngine::ClearTextBoxes();
}

bool SensorPanel::RowNamed(int row) const
{
    return row >= 0 && row < txtName.size() && !txtName.at(row)->text().trimmed().isEmpty();
}

QString SensorPanel::FieldTitle(const Field &field) const
{
    const QString stem = field.control.section(u'(', 0, 0);
    const int c = ColumnOf(stem);
    const QString column = c >= 0             ? m_columns.at(c).caption
                           : stem == u"txtCF" ? QStringLiteral("Correction")
                                              : QString();
    const QString row = field.row >= 0 && field.row < lblSensorType.size()
                            ? lblSensorType.at(field.row)->text()
                            : QString();
    return column.isEmpty() ? row : row + QStringLiteral(", ") + column;
}

void SensorPanel::AfterDownload()
{
    for (int i = 0; i < txtNotes.size(); ++i) {
        QString notes;
        LoadSensorNotes(DatabaseID, qint16(i), notes);
        txtNotes.at(i)->setText(RowNamed(i) ? notes : QString());
    }
}

void SensorPanel::ParseCurrentData(const QByteArray &reply)
{
    for (int i = 0; i < txtReading.size(); ++i) {
        // A contact's reading other than 0 or 1 leaves the row's own text.
        QString text = txtReading.at(i)->text();
        FormatSensorReading(float(ReadDeviceInt(reply, CurrentDataReply::ReadingByte(i), 2)),
                            lblSensorType.at(i)->text(), text);
        txtReading.at(i)->setText(text);
    }
}

QList<SensorRecord> SensorPanel::RowsToStore() const
{
    const auto limit = [](const QList<QLineEdit *> &boxes, int i) {
        return i < boxes.size() ? boxes.at(i)->text() : QString();
    };
    QList<SensorRecord> rows;
    for (int i = 0; i < txtName.size(); ++i)
        rows.append(Row(i, limit(txtUL, i), limit(txtLL, i), txtTOL.at(i)->text()));
    return rows;
}

SensorRecord SensorPanel::Row(int row, const QString &upper, const QString &lower,
                              const QString &tol) const
{
    return {txtName.at(row)->text(),
            qint16(row),
            txtNotes.at(row)->text(),
            lblSensorType.at(row)->text(),
            upper,
            lower,
            tol};
}

// The database's own rule, before anything goes to the device: a value the table would
// refuse must not reach the device either.
bool SensorPanel::CheckRows()
{
    for (const SensorRecord &row : RowsToStore()) {
        const QString error = SensorRecordError(row);
        if (!error.isEmpty()) {
            Prompt::Show(lblSensorType.at(row.port)->text() + QStringLiteral(": ") + error);
            return false;
        }
    }
    return true;
}

void SensorPanel::StoreRows()
{
    SaveSensorRecords(DatabaseID, RowsToStore());
}

void SensorPanel::CloseConnection() const
{
    if (m_closesConnection)
        CloseWinSocket();
}

void SensorPanel::Form_Activate()
{
    Buttons(false);
    GetLimits();
    CloseConnection();
    Buttons(true);
}

void SensorPanel::btnRefresh_Click()
{
    frmNotes->hide();
    btnNotes->setText(QStringLiteral("Notes"));
    Buttons(false);
    GetLimits();
    Buttons(true);
}

void SensorPanel::btnSave_Click()
{
    Buttons(false);
    SaveLimits();
    CloseConnection();
    Buttons(true);
}

void SensorPanel::btnClose_Click()
{
    CloseConnection();
    done(QDialog::Accepted);
}

void SensorPanel::btnNotes_Click()
{
    const bool show = frmNotes->isHidden();
    frmNotes->setVisible(show);
    btnNotes->setText(show ? QStringLiteral("Hide") : QStringLiteral("Notes"));
}

void SensorPanel::btnCal_Click()
{
    for (int i = 0; i < txtActualTemp.size(); ++i) {
        const QString name = txtName.at(i)->text();
        lblName.at(i)->setText(name.trimmed().isEmpty() ? QStringLiteral("Not Named") : name);
        txtActualTemp.at(i)->clear();
    }
    frmNotes->hide();
    frmCal->show();
}

void SensorPanel::btnCloseCal_Click()
{
    frmCal->hide();
}

// Every new factor is worked out before any box changes, so that one row that cannot be
// calibrated leaves no other row's new factor behind for the next Save.
bool SensorPanel::ComputeFactors()
{
    QList<QPair<int, QString>> factors;
    for (int i = 0; i < txtActualTemp.size(); ++i) {
        const QString actualText = txtActualTemp.at(i)->text();
        if (actualText.trimmed().isEmpty())
            continue;
        const auto actual = BoxNumber(actualText);
        const auto reading = BoxNumber(txtReading.at(i)->text());
        const auto old = BoxNumber(txtCF.at(i)->text());
        const Field factor{0, 0, txtCF.at(i)->objectName(),
                           m_factorsInTenths ? Codec::Tenths : Codec::Whole};
        QString text;
        if (actual && reading && old) {
            const float value = *actual - *reading + *old;
            text = m_factorsInTenths ? FormatPointZero(double(value))
                                     : QString::number(double(value), 'g', 7);
        }
        if (text.isEmpty() || !FieldValue(factor, text, TenthsMode)) {
            Prompt::Show(lblName.at(i)->text() +
                         QStringLiteral(" cannot be calibrated from the "
                                        "actual temperature \"") +
                         actualText + QStringLiteral("\", the reading \"") +
                         txtReading.at(i)->text() + QStringLiteral("\" and the correction \"") +
                         txtCF.at(i)->text() + QStringLiteral("\"."));
            return false;
        }
        factors.append({i, text});
    }
    for (const auto &[i, text] : std::as_const(factors))
        txtCF.at(i)->setText(text);
    return true;
}

void SensorPanel::btnStoreCalFactors_Click()
{
    if (!UploadAllowed(true)) {
        RefuseUnreadPages();
        return;
    }
    if (Prompt::Show(QStringLiteral("Upload calibration factors?"), Prompt::Buttons::OkCancel,
                     Prompt::Icon::Question,
                     QStringLiteral("Upload Calibration Factors")) == Prompt::Answer::Cancel)
        return;
    if (!ComputeFactors())
        return;
    Buttons(false);
    const bool stored = SaveLimits(true);
    CloseConnection();
    if (stored) {
        Pause(kCalibrationPauseMs);
        GetLimits(true);
    }
    Buttons(true);
    CloseConnection();
}

bool SensorPanel::ZeroFactorsIfConfirmed(const QString &question)
{
    if (!UploadAllowed(true)) {
        RefuseUnreadPages();
        return false;
    }
    if (Prompt::Show(question, Prompt::Buttons::OkCancel, Prompt::Icon::Question,
                     QStringLiteral("Reset Cal Factors")) == Prompt::Answer::Cancel)
        return false;
    for (int i = 0; i < txtActualTemp.size(); ++i) {
        txtActualTemp.at(i)->clear();
        txtCF.at(i)->setText(QStringLiteral("0"));
    }
    return true;
}

void SensorPanel::btnReset_Click()
{
    if (!ZeroFactorsIfConfirmed(QStringLiteral("Reset all calibration factors to zero?")))
        return;
    Buttons(false);
    SaveLimits(true);
    Pause(kCalibrationPauseMs);
    GetLimits(true);
    Buttons(true);
}
