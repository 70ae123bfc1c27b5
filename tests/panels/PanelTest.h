#pragma once

#include "DeviceLink.h"
#include "DialogTest.h"
#include "FakeDevice.h"
#include "PanelEngine.h"
#include "ReplyDecoding.h"

#include <QLineEdit>
#include <QListWidget>

#include <functional>
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

// Runs `act` the moment `watched` gets an event of `type` (a label shown or hidden).
struct OnEvent : QObject {
    OnEvent(QObject *watched, QEvent::Type type, std::function<void()> act)
        : type(type), act(std::move(act))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject * /*watched*/, QEvent *event) override
    {
        if (event->type() == type)
            act();
        return false;
    }
    QEvent::Type type;
    std::function<void()> act;
};

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

    // A fresh panel's transfer with the device misbehaving on `headers` (its download, or
    // with `store` a Save after it) adds exactly `lines`, hides the status label and, where
    // `sent` is given, sends exactly those headers.
    struct Failing {
        QList<QByteArray> headers;
        FakeDevice::Behaviour behaviour;
        QStringList lines;
        QStringList sent = {};
        QByteArray errorText = "Error";
    };
    template <typename Panel> void ExpectFailureLines(const QList<Failing> &rows, bool store)
    {
        qint32 id = 0;
        for (const Failing &row : rows) {
            SCOPED_TRACE(row.lines.join(u'|').toStdString());
            Panel panel;
            panel.DatabaseID = ++id;
            if (store)
                Open(panel);
            FakeDevice::Knob knob = Knob(row.behaviour);
            knob.errorText = row.errorText;
            for (const QByteArray &header : row.headers)
                device.SetKnob(header, knob);
            const qsizetype first = device.Requests().size();
            if (store) {
                panel.lstStatus->clear();
                QTest::mouseClick(panel.btnSave, Qt::LeftButton);
            } else {
                Open(panel);
            }
            EXPECT_EQ(Lines(panel), row.lines);
            EXPECT_TRUE(panel.lblStatus->isHidden());
            if (!row.sent.isEmpty()) {
                EXPECT_EQ(Headers(first), row.sent);
            }
        }
    }

    // Save refuses with `message` and sends nothing while `box` holds `text` or a page the
    // device failed to give (`failing`) is unread.
    struct Refusal {
        QByteArray failing;
        QString box, text, message;
    };
    template <typename Panel> void ExpectRefusals(const QList<Refusal> &rows)
    {
        for (const Refusal &row : rows) {
            SCOPED_TRACE(row.message.toStdString());
            if (!row.failing.isEmpty())
                device.SetKnob(row.failing, Knob(FakeDevice::Behaviour::WrongEcho));
            Panel panel;
            Open(panel);
            if (!row.box.isEmpty())
                panel.template findChild<QLineEdit *>(row.box)->setText(row.text);
            const qsizetype first = device.Requests().size();
            EXPECT_EQ(Click(panel.btnSave), QList{Box(row.message)});
            EXPECT_FALSE(panel.SaveLimits());
            EXPECT_EQ(Headers(first), QStringList{});
            EXPECT_TRUE(panel.lblStatus->isHidden());
        }
    }

    // Types `name`, "-5x" and "-.5x" into the first row's name, delay and lower limit; gives
    // what the three boxes then hold.
    template <typename Panel> static QString TypeIntoFirstRow(Panel &panel, const QString &name)
    {
        QTest::keyClicks(panel.txtName.at(0), name);
        QTest::keyClicks(panel.txtTOL.at(0), QStringLiteral("-5x"));
        QTest::keyClicks(panel.txtLL.at(0), QStringLiteral("-.5x"));
        return panel.txtName.at(0)->text() + u'|' + panel.txtTOL.at(0)->text() + u'|' +
               panel.txtLL.at(0)->text();
    }

    static QString UnreadRefusal()
    {
        return QStringLiteral("Some settings could not be read from the device, so nothing was "
                              "saved.  Press Refresh and try again.");
    }

    // Written from byte 5 over a store's echo: "ERROR" inside the first name field.
    static QByteArray ErrorInName() { return "----ERROR"; }

    // The last line of an upload in which a page was not stored.
    static QString Incomplete() { return QStringLiteral("Upload did not complete"); }

    std::optional<DeviceLink> link;
    FakeDevice device;
};
