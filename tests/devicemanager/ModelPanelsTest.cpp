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
#include <QStringList>
#include <QTimer>

#include <array>

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

class ModelPanelsTest : public DeviceManagerFixture {
protected:
    // Adds `server` on a device of this identity with `name` at `byte` of `page`, opens its
    // Sensors entry from tree row `treeRow` and expects the model's panel for it, holding
    // the name in box `row` once its download is done.
    template <typename Panel>
    void ExpectPanel(std::array<int, 3> identity, int page, int byte, const QString &name, int row,
                     const QString &server, const QString &title, int treeRow = 2)
    {
        SCOPED_TRACE(title.toStdString());
        auto device = Device(identity[0], identity[1], identity[2]);
        device->pages[page].replace(byte, 20, name.leftJustified(20).toLatin1());
        const qint32 id = Add(server, device->Address());
        Open();
        Edit(treeRow);
        PanelWatch<Panel> watch([row](Panel &panel) -> QString {
            return QStringList{panel.windowTitle(), panel.IPAddress,
                               QString::number(panel.DatabaseID), panel.txtName.at(row)->text()}
                .join(u'|');
        });
        screen->mnuEditSensors->trigger();
        const QString expected =
            QStringList{title, device->Address(), QString::number(id), name}.join(u'|');
        EXPECT_EQ(watch.seen, QStringList{expected});
        EXPECT_TRUE(Messages().isEmpty());
    }
};

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
    ExpectPanel<frmRK718>({5, 8, 13}, 3, 8, u"Rack A"_s, 0, u"Lab"_s, u"Rackvane Parameters"_s);
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK816Panel)
{
    ExpectPanel<frmRK816>({6, 6, 1}, 3, 28, u"Side gate"_s, 1, u"Yard"_s, QString());
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheF416Panel)
{
    ExpectPanel<frmFinch416>({3, 6, 1}, 5, 8, u"Cabinet air"_s, 2, u"Store"_s,
                             u"F416 Parameters"_s);
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheF41xPanel)
{
    ExpectPanel<frmFinch>({3, 4, 1}, 3, 8, u"Back door"_s, 2, u"Shop"_s, u"F41x Parameters"_s);
}

TEST_F(ModelPanelsTest, TheDeviceManagerOpensTheRK730AndRK750Panels)
{
    ExpectPanel<frmRK730>({5, 20, 3}, 7, 8, u"Dock"_s, 4, u"Plant"_s, u"RK730 Parameters"_s);
    ExpectPanel<frmRK750>({5, 40, 3}, 5, 8, u"Mains"_s, 4, u"Pump house"_s,
                          u"Powervane Model RK750"_s, 3);
}
