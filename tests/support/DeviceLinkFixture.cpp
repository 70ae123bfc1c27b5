#include "DeviceLinkFixture.h"

#include "ConfigRecord.h"
#include "ReplyDecoding.h"

RecordingStatusBoard::RecordingStatusBoard()
{
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &line) { history.append(Lines().at(line.row())); });
    connect(this, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first) { history.append(Lines().at(first)); });
}

void DeviceLinkFixture::SetUp()
{
    TempProgramFolder::SetUp();
    ResetLinkState();
    ResetDecodedState();
    Config() = ConfigRecord();
    Config().TCPTimeOut = 1;
    InstallStatusBoard(&board);
    link.emplace();
    link->SetMainForm(&mainForm);
    link->SetTreeForm(&treeForm);
    LinkState().Running = true;
}

void DeviceLinkFixture::TearDown()
{
    link.reset();
    ResetLinkState();
    ResetDecodedState();
    Config() = ConfigRecord();
    TempProgramFolder::TearDown();
}
