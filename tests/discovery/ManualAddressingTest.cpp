#include "DiscoveryFixture.h"
#include "ExternalPrograms.h"
#include "UrlReceiver.h"
#include "frmAbout.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

// Stand-in programs in a folder that is the whole PATH while the test runs; each writes
// its arguments to "<name>.ran" beside it.
class ProgramsTest : public DiscoveryTest {
protected:
    void SetUp() override
    {
        DiscoveryTest::SetUp();
        m_path = qgetenv("PATH");
        qputenv("PATH", m_folder.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("PATH", m_path); }

    void AddProgram(const QString &name, const QString &body = u"exit 0"_s)
    {
        QFile script(m_folder.filePath(name));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            (u"#!/bin/sh\necho \"$@\" > '"_s + Ran(name) + u"'\n"_s + body + u'\n').toLocal8Bit());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString Ran(const QString &name) const { return m_folder.filePath(name + u".ran"_s); }
    // What the program was started with; empty when it never ran.
    QString Arguments(const QString &name) const
    {
        QFile ran(Ran(name));
        return ran.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(ran.readAll()).trimmed()
                                             : QString();
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_path;
};

TEST_F(ProgramsTest, RunAndWaitGivesTheExitCode)
{
    AddProgram(u"two"_s, u"exit 2"_s);
    AddProgram(u"sleeper"_s, u"exec /bin/sleep 5"_s);
    const milliseconds limit(1500);
    EXPECT_EQ(discovery::RunAndWait(u"two"_s, {u"a b"_s}, limit, window.get()), 2);
    EXPECT_EQ(Arguments(u"two"_s), u"a b"_s);
    EXPECT_EQ(discovery::RunAndWait(u"sleeper"_s, {}, limit, window.get()),
              discovery::kStillActive);
    EXPECT_EQ(discovery::RunAndWait(u"missing"_s, {}, limit, window.get()), -1);
}

TEST_F(ProgramsTest, ManualAddressingBindsTheMacThenSetsTheAddress)
{
    const QString askMac = u"MAC Address of Zarvo Device: Please enter the MAC address of the "
                           "device in the following format:  00-20-4a-xx-xx-xx"_s;
    const QString askAgain = u"QRB IP Setup: The MAC Address you entered is not valid.\rPlease "
                             "enter the MAC address of the device in the following format:  "
                             "00-20-4a-xx-xx-xx"_s;
    const QString askAddress = u"Desired Static IP Address: Please enter the IP address you wish "
                               "to set the device to in the following format:  192.168.xxx.xxx"_s;
    const QStringList setIp{u"Set IP Address?: Set the Zarvo device to a static IP of 127.77.0.9"_s,
                            u"Zarvo IP Setup: The IP address was not changed"_s};
    const QString failed = u"QRB IP Setup: Couldn't find the ip program (package iproute2)\rPlease "
                           "add the location of this program to your PATH"_s;
    const QString notAnAddress = u"QRB IP Setup: \"%1\" is not an IP address.  Please enter four "
                                 "numbers from 0 to 255 with a dot between each two, as in "
                                 "192.168.1.20."_s;
    const QString mac = u"00-20-4a-0a-3c-5f"_s;
    const QString arguments = u"neigh replace 127.77.0.9 lladdr 00:20:4a:0a:3c:5f dev lo nud "
                              "permanent"_s;
    const struct {
        QStringList typed;
        QString ip; // the stand-in's last line; empty: no ip program
        QString arguments;
        QStringList shown;
    } rows[] = {
        {{mac, u"127.77.0.9"_s}, u"exit 0"_s, arguments, QStringList{askMac, askAddress} + setIp},
        {{u"00-20-4a-0a-3c-5"_s, mac, u"127.77.0.9"_s},
         u"exit 2"_s,
         arguments,
         QStringList{askMac, askAgain, askAddress} + setIp},
        {{u"00-20-4a-0a-3c-5"_s, u"x"_s}, u"exit 0"_s, {}, {askMac, askAgain}},
        {{}, u"exit 0"_s, {}, {askMac}},
        {{mac}, u"exit 0"_s, {}, {askMac, askAddress}},
        {{mac, u"127009"_s}, u"exit 0"_s, {}, {askMac, askAddress, notAnAddress.arg(u"127009"_s)}},
        {{mac, u"127.77.0.256"_s},
         u"exit 0"_s,
         {},
         {askMac, askAddress, notAnAddress.arg(u"127.77.0.256"_s)}},
        // An address it takes; the fourth octet is refused later, as a typed one is.
        {{mac, u"127.77.0.255"_s},
         u"exit 0"_s,
         QString(arguments).replace(u".9 "_s, u".255 "_s),
         {askMac, askAddress,
          u"QRB IP Setup: The Fourth Octet of the IP address can not be set to 0 or 255 or "
          "greater.  These addresses are reserved by the network. Please enter a new value."_s}},
        {{mac, u"127.77.9"_s},
         u"exit 0"_s,
         {},
         {askMac, askAddress, notAnAddress.arg(u"127.77.9"_s)}},
        {{mac, u"127.77.x.9"_s},
         u"exit 0"_s,
         {},
         {askMac, askAddress, notAnAddress.arg(u"127.77.x.9"_s)}},
        {{mac, u"127.77..9"_s},
         u"exit 0"_s,
         {},
         {askMac, askAddress, notAnAddress.arg(u"127.77..9"_s)}},
        // 0.0.0.0 lies on no network, and is this machine for anything sent to it.
        {{mac, u"0.0.0.0"_s},
         u"exit 0"_s,
         {},
         {askMac, askAddress,
          u"QRB IP Setup: 0.0.0.0 lies on none of this computer's networks, so the device cannot "
          "be reached there.  Please enter an address of your own network."_s}},
        {{mac, u"127.77.0.9"_s}, {}, {}, {askMac, askAddress, failed}},
        {{mac, u"127.77.0.9"_s},
         u"exec /bin/sleep 5"_s,
         arguments,
         QStringList{askMac, askAddress} + setIp},
    };
    for (const auto &row : rows) {
        QFile::remove(Ran(u"ip"_s));
        if (!row.ip.isEmpty())
            AddProgram(u"ip"_s, row.ip);
        else
            QFile::remove(Ran(u"ip"_s).chopped(4));
        for (const QString &text : row.typed)
            prompt.QueueText(text);
        if (row.shown.contains(setIp[0]))
            prompt.Queue(Prompt::Answer::No);
        QTcpServer portOne; // where the module first hears its new address, if allowed
        const bool heard = portOne.listen(QHostAddress(u"127.77.0.9"_s), 1);
        EXPECT_EQ(Trigger(window->mnuManual), row.shown) << row.typed.join(u' ').toStdString();
        EXPECT_EQ(Arguments(u"ip"_s), row.arguments);
        if (heard) {
            EXPECT_EQ(portOne.hasPendingConnections(), row.arguments == arguments);
        }
    }
}

TEST_F(ProgramsTest, WebPageOpensInTheBrowserOrSaysWhereToGo)
{
    const QString notice = u"Advanced Network Setup: A browser will open connecting you to your "
                           "Zarvo device directly.\rOnce the webpage is displayed, click on the "
                           "device Properties button review all network settings."_s;
    const QString ask =
        u"IP Address: Enter the IP Address of the device you would like to configure"_s;
    const QString page = u"http://127.77.0.9/ltx_conf.html"_s;
    const QString failure = u"An error occured trying to launch a web browser.  Please open your "
                            "web browser and navigate to:  "_s +
                            page;
    UrlReceiver browser;
    QDesktopServices::setUrlHandler(u"http"_s, &browser, "open");
    prompt.QueueText(u"127.77.0.9"_s);
    EXPECT_EQ(Trigger(window->mnuAdvancedNetwork), QStringList({ask, notice}));
    EXPECT_EQ(browser.urls, QStringList{page});
    EXPECT_EQ(window->txtDebug->text(), u"Opening web browser."_s);

    QDesktopServices::unsetUrlHandler(u"http"_s);
    prompt.QueueText(u"127.77.0.9"_s);
    EXPECT_EQ(Trigger(window->mnuAdvancedNetwork),
              QStringList({ask, notice, u"QRB IP Setup: "_s + failure}));
    EXPECT_EQ(window->txtDebug->text(),
              failure +
                  u"  Once the webpage is displayed, click on the Device Properties button."_s);
    EXPECT_EQ(window->txtDebug->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(Trigger(window->mnuAdvancedNetwork), QStringList{ask}); // cancelled
}

TEST_F(ProgramsTest, AboutBoxStartsTheFirstSystemInformationToolFound)
{
    discovery::frmAbout about;
    QStringList texts{about.windowTitle()};
    for (const QLabel *label : {about.lblTitle, about.lblVersion, about.lblDescription})
        texts << label->text();
    texts << about.cmdOK->text() << about.cmdSysInfo->text();
    EXPECT_EQ(texts, QStringList({u"About QRB IP Setup"_s, u"QRB IP Setup"_s, u"Version 4.2.4"_s,
                                  u"Kaltvane Device discovery and addressing application."_s,
                                  u"OK"_s, u"&System Info..."_s}));

    EXPECT_EQ(Click(about.cmdSysInfo),
              QStringList{u"QRB IP Setup: System Information Is Unavailable At This Time"_s});
    // Each tool added is looked up before those already there.
    const QStringList tools{u"gnome-control-center"_s, u"kinfocenter"_s, u"hardinfo"_s};
    for (const QString &tool : tools) {
        AddProgram(tool);
        for (const QString &other : tools)
            QFile::remove(Ran(other));
        EXPECT_EQ(Click(about.cmdSysInfo), QStringList());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(Ran(tool)); }, 5000));
        EXPECT_EQ(Arguments(tool), tool == tools[0] ? u"info-overview"_s : QString());
        for (const QString &other : tools)
            EXPECT_EQ(QFile::exists(Ran(other)), other == tool) << other.toStdString();
    }
}

} // namespace
