#include "DeviceManagerFixture.h"
#include "MainWindowFixture.h"

#include <QKeyEvent>

namespace {

using BusyTest = DeviceManagerFixture;

TEST_F(BusyTest, AnOperationUnderWayShutsOutEveryOther)
{
    const auto device = Device();
    device->SetKnob(QByteArray::fromHex("DDCCBB02"), {FakeDevice::Behaviour::Normal, 700});
    const qint32 alpha = Add(QStringLiteral("Alpha"), device->Address());
    Add(QStringLiteral("Bravo"), UnusedLoopbackAddress());
    Open();
    Edit(2);
    Answer({});

    bool busy = false;
    bool rootHidesFrames = false;
    QString label;
    QTimer::singleShot(300, screen.get(), [&] {
        busy = screen->Busy() && screen->cursor().shape() == Qt::WaitCursor;
        screen->mnuAdd->trigger();
        QTest::mouseClick(screen->btnRefresh, Qt::LeftButton);
        Click(Node(3));
        QTest::mouseClick(screen->btnRestoreFactoryDefaults, Qt::LeftButton);
        QTest::mouseClick(screen->btnTestCommunication, Qt::LeftButton);
        screen->mnuEditSensors->trigger();
        screen->mnuDeleteServerPopUp->trigger();
        screen->btnStoreDateTime_Click();
        screen->btnGetLogFile_Click();
        screen->btnDownloadHiLoReadings_Click();
        screen->btnExportLog_Click();
        QTest::keyClick(screen.get(), Qt::Key_Escape);
        screen->close();
        // The root node is answered before the busy mark: all frames hidden.
        Click(Node(1));
        screen->mnuEditServer->trigger();
        rootHidesFrames = !screen->frmSetup0->isVisible() &&
                          screen->lblServerError->text() != QStringLiteral("System Busy");
        Click(Node(3));
        screen->mnuEditServer->trigger();
        label = screen->lblServerError->text();
    });
    QTest::mouseClick(screen->btnSaveServer, Qt::LeftButton);

    EXPECT_TRUE(busy);
    EXPECT_TRUE(rootHidesFrames);
    EXPECT_EQ(label, QStringLiteral("System Busy"));
    EXPECT_TRUE(Messages().isEmpty());
    QStringList headers;
    for (const QByteArray &request : device->Requests())
        headers << QString::fromLatin1(request.left(4).toHex().toUpper());
    EXPECT_EQ(headers.join(u' '),
              QStringLiteral("2ACDDCBA AABBCC02 DECADE02 2ACDDCBA AABBCC02 DDCCBB02"));
    EXPECT_TRUE(screen->isVisible());
    EXPECT_EQ(screen->frmSetup0->title(), QStringLiteral("Edit: Alpha"));
    EXPECT_EQ(screen->CurrentServerID(), alpha);
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) AS n FROM tblServers")),
              QStringList(QStringLiteral("n=2")));
    EXPECT_FALSE(screen->Busy());
    EXPECT_NE(screen->cursor().shape(), Qt::WaitCursor);
    // Idle, Esc closes the screen.
    QTest::keyClick(screen.get(), Qt::Key_Escape);
    EXPECT_FALSE(screen->isVisible());
}

using DeviceManagerInMainWindow = MainWindowFixture;

TEST_F(DeviceManagerInMainWindow, PollingStopsWhileOpenAndTakesUpAServerAddedThere)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    WriteSettings(FastPolling);
    AddServerWithSensors(1, UnusedLoopbackAddress());
    window->RunDeviceManager = [this] { RunDeviceManager(window.get()); };
    Load();
    ASSERT_TRUE(window->tmrInterupt->isActive());

    bool stopped = false;
    bool treeForm = false;
    bool shot = false;
    QTimer::singleShot(0, window.get(), [&] {
        auto *screen = qobject_cast<frmTreeConfiguration *>(QApplication::activeModalWidget());
        ASSERT_TRUE(screen);
        stopped = !window->tmrInterupt->isActive();
        treeForm = LinkState().ActiveForm == AppForm::TreeConfiguration &&
                   &DeviceLink::Instance()->TreeForm() == screen;
        screen->mnuAdd->trigger();
        screen->txtServerName->setText(QStringLiteral("Freezer room"));
        screen->txtServerIPAddress->setText(device.Address());
        screen->txtServerNotes->setText(QStringLiteral("North wall"));
        QTest::mouseClick(screen->btnSaveServer, Qt::LeftButton);
        ASSERT_TRUE(SaveSensorRecord(screen->CurrentServerID(), QStringLiteral("Probe"), 1, {},
                                     QStringLiteral("Temperature"), QStringLiteral("90"),
                                     QStringLiteral("50"), QStringLiteral("0")));
        screen->mnuEditServer->trigger();
        shot = SaveScreenshot(*screen, "device-manager.png");
        screen->close();
    });
    window->mnuTree->trigger();

    EXPECT_TRUE(stopped);
    EXPECT_TRUE(treeForm);
    EXPECT_TRUE(shot);
    EXPECT_EQ(LinkState().ActiveForm, AppForm::Main);
    EXPECT_TRUE(window->tmrInterupt->isActive());
    QTest::mouseClick(window->btnUpdate, Qt::LeftButton);
    EXPECT_TRUE(device.Requests().contains(PadWithNulls(DeviceCommand::ReadCurrentData())));
}

} // namespace
