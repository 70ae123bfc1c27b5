#pragma once

#include "DeviceLink.h"
#include "StatusBoard.h"
#include "TempProgramFolder.h"

#include <QStringList>

#include <optional>

// Window parts an exchange drives, recorded for the tests to read.
template <typename Form> class RecordingForm : public Form {
public:
    void SetHourglass(bool on) override { hourglass.append(on); }
    void ShowProgress(int maximum) override
    {
        progressMaxima.append(maximum);
        progressShown = true;
    }
    int ProgressMaximum() const override
    {
        return progressMaxima.isEmpty() ? 0 : progressMaxima.last();
    }
    void SetProgressValue(int value) override { progressValues.append(value); }
    void HideProgress() override { progressShown = false; }

    QList<bool> hourglass;
    QList<int> progressValues;
    QList<int> progressMaxima; // one per wait: connect 25, reply, close 20, pause 1
    bool progressShown = false;
};

class RecordingMainForm : public RecordingForm<TransportMainForm> {
public:
    void SetLampColour(qint32 colour) override { lamp.append(colour); }

    QList<qint32> lamp;
};

class RecordingTreeForm : public RecordingForm<TransportTreeForm> {
public:
    void SetServerErrorText(const QString &text) override { serverErrorTexts.append(text); }
    QString ServerNameText() const override { return serverName; }

    QStringList serverErrorTexts;
    QString serverName;
};

// A status board that also remembers every line it ever showed.
class RecordingStatusBoard final : public StatusBoard {
public:
    RecordingStatusBoard();

    QStringList history;
};

// A device link with recording windows and board, monitoring running, the shortest
// reply wait (TCPTimeOut 1) and fresh module state.
class DeviceLinkFixture : public TempProgramFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    RecordingMainForm mainForm;
    RecordingTreeForm treeForm;
    RecordingStatusBoard board;
    std::optional<DeviceLink> link;
};
