#pragma once

#include "DeviceLink.h"
#include "DialogTest.h"
#include "FakeDevice.h"
#include "PanelEngine.h"
#include "ReplyDecoding.h"

#include <QLineEdit>
#include <QListWidget>

#include <optional>

// A 16-bit value as a page holds it, high byte first.
inline QByteArray Word(int value)
{
    const WordBytes w = SplitWord(value);
    return QByteArray(1, char(w.hi)).append(char(w.lo));
}

inline QByteArray StoreHeader(int page)
{
    return DeviceCommand::StorePage().append(char(page));
}

// A panel's world: scripted message boxes, the program's device link with the shortest
// reply wait, and a fake device on this test's own loopback address.
class PanelTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ResetLinkState();
        ResetDecodedState();
        Config().TCPTimeOut = 1;
        link.emplace();
        LinkState().Running = true;
        ASSERT_TRUE(device.Listen());
    }

    void TearDown() override
    {
        link.reset();
        ResetLinkState();
        ResetDecodedState();
        DialogTest::TearDown();
    }

    // Shows the panel and lets its activation run to its end.
    void Open(PanelEngine &panel)
    {
        panel.IPAddress = device.Address();
        panel.show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.Transferring(); }));
    }

    bool ConnectionOpen() { return link->Winsock().CurrentState() != SocketControl::State::Closed; }

    // The 4-byte headers the device received from `from` on, as hex.
    QStringList Headers(qsizetype from = 0) const
    {
        QStringList headers;
        for (const QByteArray &request : device.Requests().mid(from))
            headers << QString::fromLatin1(request.left(4).toHex().toUpper());
        return headers;
    }

    static QStringList Lines(const PanelEngine &panel)
    {
        QStringList lines;
        for (int i = 0; i < panel.lstStatus->count(); ++i)
            lines << panel.lstStatus->item(i)->text();
        return lines;
    }

    static QByteArray Word(int value)
    {
        const WordBytes w = SplitWord(value);
        return QByteArray(1, char(w.hi)).append(char(w.lo));
    }

    static QByteArray StoreHeader(int page)
    {
        return DeviceCommand::StorePage().append(char(page));
    }

    // Every byte after the header distinct from its neighbours and from what a panel writes.
    void FillPagesDistinct()
    {
        for (int n = 0; n < kPageCount; ++n) {
            for (int i = 4; i < 60; ++i)
                device.pages[n][i] = char(0x41 + (n * 11 + i * 7) % 58);
        }
    }

    struct Edit {
        QLineEdit *box;
        QString text;
        int page, pos;
        QByteArray bytes;
    };
    // Types each edit into its box; gives the device's pages as a Save should leave them.
    std::array<QByteArray, kPageCount> Type(const QList<Edit> &edits) const
    {
        auto expected = device.pages;
        for (const Edit &edit : edits) {
            edit.box->setText(edit.text);
            expected[edit.page].replace(edit.pos - 1, edit.bytes.size(), edit.bytes);
        }
        return expected;
    }

    static FakeDevice::Knob Knob(FakeDevice::Behaviour behaviour, int delayMs = 0)
    {
        FakeDevice::Knob knob;
        knob.behaviour = behaviour;
        knob.delayMs = delayMs;
        knob.times = 1;
        return knob;
    }

    // Each of `act`s runs while the device holds back its reply to `header`; afterwards
    // the device must have received nothing beyond what the transfer itself sent.
    void DuringDelayedReply(const QByteArray &header, const std::function<void()> &start,
                            const QList<std::function<void()>> &acts)
    {
        device.SetKnob(header, Knob(FakeDevice::Behaviour::Normal, 600));
        int at = 100;
        for (const auto &act : acts) {
            QTimer::singleShot(at, act);
            at += 50;
        }
        start();
    }

    std::optional<DeviceLink> link;
    FakeDevice device;
};
