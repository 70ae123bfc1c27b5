#include "GraphingTest.h"
#include "MessageBoxPrompt.h"
#include "frmReportWizard.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

using namespace Qt::StringLiterals;

using GraphingSmoke = GraphingTest;

// The program as its main() starts it, with the real message boxes, in a program folder
// holding a day of readings: a chart request that finds no data says so under the
// program's title, and Exit ends the run.
TEST_F(GraphingSmoke, StartsListsAndQuitsThroughExit)
{
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteReadings(7, QDateTime(QDate(2026, 3, 1), QTime(8, 0)), 4, 3600);
    const QString before = ProgramInfo::Title();
    ProgramInfo::SetTitle(u"VantrelGraphing"_s);
    MessageBoxPrompt messageBoxes;
    Prompt::Install(&messageBoxes);
    ResetGraphing();
    int result = -1;
    {
        frmReportWizard wizard;
        wizard.show();
        ASSERT_EQ(wizard.cmboSensors->count(), 2);
        EXPECT_EQ(wizard.lblDirectory->text(), Folder());

        // The averaged chart of a day after the readings: no data, told in a real box.
        wizard.Calendar[0]->setSelectedDate(QDate(2026, 3, 5));
        wizard.Calendar[1]->setSelectedDate(QDate(2026, 3, 5));
        QString boxTitle;
        QString boxText;
        std::function<void()> answerBox = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(10, answerBox);
                return;
            }
            if (qobject_cast<QMessageBox *>(box)) {
                boxTitle = box->windowTitle();
                boxText = box->text();
                box->button(QMessageBox::Ok)->click();
                QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
            }
        };
        QTimer::singleShot(10, answerBox);
        wizard.btnGo->click();
        EXPECT_EQ(boxTitle, u"VantrelGraphing"_s);
        EXPECT_EQ(boxText, u"There is currently not enough data for this sensor to graph."_s);

        QTimer::singleShot(0, wizard.mnuExit, &QAction::trigger);
        result = QApplication::exec();
        EXPECT_FALSE(wizard.isVisible());
        EXPECT_TRUE(Graphing().CloseRequested);
    }
    EXPECT_EQ(result, 0);
    Prompt::Install(nullptr);
    ProgramInfo::SetTitle(before);
}
