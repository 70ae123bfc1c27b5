#include "DeviceLinkFixture.h"

#include "ConfigRecord.h"
#include "ReplyDecoding.h"

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
