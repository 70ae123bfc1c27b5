#include "DeviceManagerFixture.h"

#include "frmFinch.h"
#include "frmFinch416.h"
#include "frmRK715.h"
#include "frmRK715PhoneParameters.h"
#include "frmRK718.h"
#include "frmRK730.h"
#include "frmRK750.h"
#include "frmRK816.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Closes the first panel of type Panel that comes up modal, once its opening download is
// done, and hands back what it held.
template <typename Panel> struct PanelWatch {
    QStringList seen;
    QTimer timer;

    PanelWatch(std::function<QString(Panel &)> describe)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this, describe] {
            auto *panel = qobject_cast<Panel *>(QApplication::activeModalWidget());
            if (!panel || panel->Transferring() || !panel->lblStatus->isHidden())
                return;
            seen << describe(*panel);
            timer.stop();
            panel->btnClose->click();
        });
        timer.start();
    }
};

} // namespace

class ModelPanelsTest : public DeviceManagerFixture {};

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK715PanelAndTheDialerPanel)
{
    auto device = Device(5, 7, 25);
    device->pages[3].replace(8, 20, "Freezer             ");
    const qint32 id = Add(u"Lab"_s, device->Address());
    Open();
    Edit(2);

    PanelWatch<frmRK715> rk715([](frmRK715 &panel) -> QString {
        return panel.IPAddress + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(0)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(rk715.seen,
              QStringList{device->Address() + u'|' + QString::number(id) + u"|Freezer"_s});

    PanelWatch<frmRK715PhoneParameters> dialer([](frmRK715PhoneParameters &panel) -> QString {
        return panel.windowTitle() + u'|' + panel.IPAddress;
    });
    screen->btnMore->click();
    EXPECT_EQ(dialer.seen, QStringList{u"Phone Parameters for server: Lab|"_s + device->Address()});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK718Panel)
{
    auto device = Device(5, 8, 13);
    device->pages[3].replace(8, 20, "Rack A              ");
    const qint32 id = Add(u"Lab"_s, device->Address());
    Open();
    Edit(2);
    PanelWatch<frmRK718> rk718([](frmRK718 &panel) -> QString {
        return panel.IPAddress + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(0)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(rk718.seen,
              QStringList{device->Address() + u'|' + QString::number(id) + u"|Rack A"_s});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK816Panel)
{
    auto device = Device(6, 6, 1);
    device->pages[3].replace(28, 20, "Side gate           ");
    const qint32 id = Add(u"Yard"_s, device->Address());
    Open();
    Edit(2);

    PanelWatch<frmRK816> rk816([](frmRK816 &panel) -> QString {
        return panel.IPAddress + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(1)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(rk816.seen,
              QStringList{device->Address() + u'|' + QString::number(id) + u"|Side gate"_s});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheF416Panel)
{
    auto device = Device(3, 6, 1);
    device->pages[5].replace(8, 20, "Cabinet air         ");
    const qint32 id = Add(u"Store"_s, device->Address());
    Open();
    Edit(2);

    PanelWatch<frmFinch416> panel([](frmFinch416 &panel) -> QString {
        return panel.IPAddress + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(2)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(panel.seen,
              QStringList{device->Address() + u'|' + QString::number(id) + u"|Cabinet air"_s});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheF41xPanel)
{
    auto device = Device(3, 4, 1);
    device->pages[3].replace(8, 20, "Back door           ");
    const qint32 id = Add(u"Shop"_s, device->Address());
    Open();
    Edit(2);

    PanelWatch<frmFinch> panel([](frmFinch &panel) -> QString {
        return panel.windowTitle() + u'|' + panel.IPAddress + u'|' +
               QString::number(panel.DatabaseID) + u'|' + panel.txtName.at(2)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(panel.seen, QStringList{u"F41x Parameters|"_s + device->Address() + u'|' +
                                      QString::number(id) + u"|Back door"_s});
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK730AndRK750Panels)
{
    auto rk730Device = Device(5, 20, 3);
    rk730Device->pages[7].replace(8, 20, "Dock                ");
    const qint32 rk730Id = Add(u"Plant"_s, rk730Device->Address());
    Open();
    Edit(2);
    PanelWatch<frmRK730> rk730([](frmRK730 &panel) -> QString {
        return panel.windowTitle() + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(4)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(rk730.seen,
              QStringList{u"RK730 Parameters|"_s + QString::number(rk730Id) + u"|Dock"_s});

    auto rk750Device = Device(5, 40, 3);
    rk750Device->pages[5].replace(8, 20, "Mains               ");
    const qint32 rk750Id = Add(u"Pump house"_s, rk750Device->Address());
    Open();
    Edit(3);
    PanelWatch<frmRK750> rk750([](frmRK750 &panel) -> QString {
        return panel.windowTitle() + u'|' + QString::number(panel.DatabaseID) + u'|' +
               panel.txtName.at(4)->text();
    });
    screen->mnuEditSensors->trigger();
    EXPECT_EQ(rk750.seen,
              QStringList{u"Powervane Model RK750|"_s + QString::number(rk750Id) + u"|Mains"_s});
    EXPECT_TRUE(Messages().isEmpty());
}
