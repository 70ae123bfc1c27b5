#include "frmReportWizard.h"
#include "GraphingTest.h"
#include "frmBrowse.h"
#include "frmGraph.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class frmReportWizardTest : public GraphingTest {
protected:
    // Runs `act` on the modal window that the next exec() puts up.
    static void OnNextModal(std::function<void(QWidget *)> act)
    {
        QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
    }

    QStringList Shown(const std::function<void()> &act)
    {
        const auto before = prompt.Texts().size();
        act();
        return prompt.Texts().mid(before);
    }

    static QStringList Items(const frmReportWizard &wizard)
    {
        QStringList items;
        for (int i = 0; i < wizard.cmboSensors->count(); ++i)
            items << wizard.cmboSensors->itemText(i);
        return items;
    }
};

const QDateTime kMarch(QDate(2026, 3, 1), QTime(10, 0));

} // namespace

TEST_F(frmReportWizardTest, GoRefusesOrReportsAsItShould)
{
    frmReportWizard wizard;
    wizard.show();
    EXPECT_EQ(wizard.windowTitle(), u"Vantrel Chart Wizard "_s + ProgramInfo::VersionNumbers());
    EXPECT_EQ(wizard.lblDirectory->text(), Folder());
    EXPECT_TRUE(wizard.optOutput[0]->isChecked());
    EXPECT_FALSE(wizard.btnCancel->isVisible());
    EXPECT_EQ(Shown([&] { wizard.btnGo->click(); }),
              QStringList(u"There was an error generating this chart.  The error is No record "
                          "file is selected."_s));

    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteReadings(7, kMarch, 3, 86400);
    wizard.Form_Activate();
    ASSERT_EQ(wizard.cmboSensors->count(), 2);
    wizard.cmboSensors->setCurrentIndex(1);
    EXPECT_EQ(wizard.lblStart[0]->text() + u'|' + wizard.lblStart[1]->text(),
              u"2026-03-01|2026-03-03"_s);
    wizard.optOutput[1]->setChecked(true);
    const QString csv = File(u"Freezer.csv"_s);
    const struct {
        const char *name;
        QDate start;
        QDate end;
        std::optional<QString> save;
        QString shown;
    } rows[] = {
        {"end before start",
         {2026, 3, 2},
         {2026, 3, 1},
         std::nullopt,
         u"An invalid date has been selected.  Please verify that the start and end dates are "
         "within range of the available data."_s},
        {"save cancelled",
         {2026, 3, 1},
         {2026, 3, 1},
         std::nullopt,
         u"Exporting data to csv file was canceled by user."_s},
        {"written",
         {2026, 3, 1},
         {2026, 3, 2},
         csv,
         u"CSV file "_s + csv + u" has been successfully created."_s},
        {"a folder in the way",
         {2026, 3, 1},
         {2026, 3, 2},
         Folder(),
         u"An error has occurred while creating CSV file "_s + Folder() + u"  The error is "_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        wizard.Calendar[0]->setSelectedDate(row.start);
        wizard.Calendar[1]->setSelectedDate(row.end);
        if (row.save)
            prompt.QueueSave(row.save);
        const QStringList shown = Shown([&] { wizard.btnGo->click(); });
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_TRUE(shown.last().startsWith(row.shown)) << shown.last().toStdString();
        EXPECT_TRUE(wizard.btnGo->isVisible());
        EXPECT_FALSE(wizard.btnCancel->isVisible());
    }
    EXPECT_EQ(prompt.Messages().last().title, ProgramInfo::Title());
    const Prompt::SaveRequest &asked = prompt.SaveRequests().at(0);
    EXPECT_EQ(asked.title, u"Save Freezer log data from 2026-03-01 to 2026-03-01 to a .csv file"_s);
    EXPECT_EQ(asked.folder, Folder());
    EXPECT_EQ(asked.proposal, u"Freezer 3-2026 to 3-2026.csv"_s);
    EXPECT_EQ(ReadAll(csv), "\"Date/Time\",\"Data\"\r\n\"2026-03-01 10:00:00\",20\r\n"
                            "\"2026-03-02 10:00:00\",20.5\r\n");
}

TEST_F(frmReportWizardTest, KeepsItsPlaceAfterAChartAndFollowsThePicker)
{
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteReadings(7, kMarch, 3, 86400);
    const QString other = Folder() + u"/Older logs"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    AppendBytes(u"Older logs/Sensor-3 Average.dat"_s,
                Average("2025-01-02 03:00:00", 1, 1, 1, 1) +
                    Average("2025-01-09 03:00:00", 1, 1, 1, 1));

    frmReportWizard wizard;
    wizard.show();
    ASSERT_EQ(wizard.cmboSensors->count(), 2);
    wizard.cmboSensors->setCurrentIndex(1);
    bool charted = false;
    OnNextModal([&](QWidget *window) {
        auto *graph = qobject_cast<frmGraph *>(window);
        ASSERT_NE(graph, nullptr);
        charted = graph->FileName == wizard.LogFileNames.at(1);
        graph->cmdClose->click();
    });
    wizard.btnGo->click();
    EXPECT_TRUE(charted);
    EXPECT_EQ(wizard.cmboSensors->currentIndex(), 1);
    EXPECT_EQ(wizard.SelectedLogIndex, 1);
    // The chart's close stops no later conversion.
    prompt.QueueSave(File(u"Freezer.csv"_s));
    wizard.mnuConvertAll->trigger();
    for (const char *kind : {"Average", "Instantaneous"})
        EXPECT_EQ(ReadAll(File(u"Freezer %1 data from 3-2026.csv"_s.arg(QLatin1String(kind))))
                      .count('\n'),
                  4);
    EXPECT_TRUE(wizard.btnGo->isVisible() && !wizard.btnCancel->isVisible());
    EXPECT_TRUE(wizard.mnuConvertAll->isEnabled() && wizard.cmboSensors->isEnabled());

    OnNextModal([&](QWidget *window) {
        auto *picker = qobject_cast<frmBrowse *>(window);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->Dir1->Path(), Folder());
        picker->Dir1->SetPath(other);
        picker->OKButton->click();
    });
    wizard.btnBrowse->click();
    EXPECT_EQ(wizard.lblDirectory->text(), other);
    EXPECT_EQ(Items(wizard), QStringList(u"Server:  Sensor: : Averaged readings. Available data "
                                         "from 2025-01-02 to 2025-01-09"_s));
    // The only item now: the remembered place lies beyond the list.
    EXPECT_EQ(wizard.cmboSensors->currentIndex(), 0);
    EXPECT_EQ(wizard.Calendar[0]->selectedDate(), QDate(2025, 1, 2));
    EXPECT_EQ(wizard.Calendar[1]->selectedDate(), QDate(2025, 1, 9));
}

// During an export only Cancel acts; Cancel and closing the window stop it with the rows
// written so far kept.
TEST_F(frmReportWizardTest, ExportStopsAtCancelOrCloseKeepingItsRows)
{
    constexpr int kRecords = 300000;
    const QDateTime start(kMarch.date(), kMarch.time(), Qt::UTC);
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i)
        bytes += InstantRecord{GeneralDateText(start.addSecs(i * 5)), float(i)}.Encode();
    const QString name = Name(InstantFileName(Folder(), 7, kMarch.date()));
    AppendBytes(name, bytes);
    const QString csv = File(u"Freezer.csv"_s);

    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "Cancel Chart" : "closed");
        QFile::remove(csv);
        frmReportWizard wizard;
        wizard.show();
        wizard.optOutput[1]->setChecked(true);
        wizard.Calendar[0]->setSelectedDate(QDate(2026, 3, 1));
        wizard.Calendar[1]->setSelectedDate(QDate(2026, 3, 31));
        prompt.QueueSave(csv);
        QStringList enabled;
        QTimer::singleShot(0, &wizard, [&] {
            for (QWidget *input : wizard.findChildren<QWidget *>()) {
                if (input->isEnabled() && input->isVisible() &&
                    (qobject_cast<QAbstractButton *>(input) || qobject_cast<QComboBox *>(input) ||
                     qobject_cast<QCalendarWidget *>(input)))
                    enabled << input->objectName();
            }
            enabled << (wizard.mnuConvertAll->isEnabled() ? u"menu"_s : u""_s);
            if (cancel)
                wizard.btnCancel->click();
            else
                wizard.close();
        });
        const QStringList shown = Shown([&] { wizard.btnGo->click(); });
        EXPECT_EQ(enabled, QStringList({u"btnCancel"_s, u""_s}));
        EXPECT_EQ(shown,
                  cancel ? QStringList(u"Chart generation has been canceled."_s) : QStringList());
        const QByteArray written = ReadAll(csv);
        EXPECT_TRUE(written.startsWith("\"Date/Time\",\"Data\"\r\n\"2026-03-01 10:00:00\",0\r\n"));
        EXPECT_LT(written.count('\n'), kRecords);
        EXPECT_EQ(wizard.btnGo->isVisible(), cancel);
        if (cancel) { // the next conversion runs whole
            prompt.QueueSave(File(u"all.csv"_s));
            wizard.BatchToCSV();
            EXPECT_EQ(ReadAll(File(u" Instantaneous data from 3-2026.csv"_s)).count('\n'),
                      kRecords + 1);
        }
    }
}
