#include "frmLogin.h"
#include "DialogTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using frmLoginTest = DialogTest;

namespace {

struct LoginCase {
    const char *name;
    const char *storedUser;
    const char *storedPassword;
    const char *typedUser;
    const char *typedPassword;
    const char *message; // empty when the log-in succeeds
    const char *focused; // the box offered for the next try
};

const LoginCase kLoginCases[] = {
    {"Correct", "admin", "Secret1", "admin", "Secret1", "", ""},
    {"WrongPassword", "admin", "Secret1", "admin", "secret1", "Invalid Password, try again!",
     "txtPassword"},
    {"WrongPasswordAndName", "admin", "Secret1", "other", "x", "Invalid Password, try again!",
     "txtPassword"},
    {"UserNameCaseDiffers", "admin", "Secret1", "Admin", "Secret1", "Invalid Username, try again!",
     "txtUserName"},
    {"TypedNameWithTrailingBlank", "admin", "Secret1", "admin ", "Secret1",
     "Invalid Username, try again!", "txtUserName"},
    {"StoredNameWithBlanksAround", "  admin  ", "Secret1", "admin", "Secret1", "", ""},
    {"NothingStoredNothingTyped", "", "", "", "", "", ""},
};

void PrintTo(const LoginCase &c, std::ostream *out)
{
    *out << c.name;
}

class LoginCases : public DialogTest, public ::testing::WithParamInterface<LoginCase> {};

} // namespace

TEST_P(LoginCases, ComparesTypedTextWithStoredValues)
{
    const LoginCase &c = GetParam();
    Config().AdminUserName = QString::fromUtf8(c.storedUser);
    Config().AdminPassword = QString::fromUtf8(c.storedPassword);
    bool loginSucceeded = false;
    frmLogin box(loginSucceeded);
    box.show();
    QTest::keyClicks(box.txtUserName, QString::fromUtf8(c.typedUser));
    QTest::keyClicks(box.txtPassword, QString::fromUtf8(c.typedPassword));
    QTest::mouseClick(box.cmdOK, Qt::LeftButton);

    if (*c.message == 0) {
        EXPECT_TRUE(loginSucceeded);
        EXPECT_FALSE(box.isVisible());
        EXPECT_TRUE(prompt.Messages().isEmpty());
        return;
    }
    EXPECT_FALSE(loginSucceeded);
    EXPECT_TRUE(box.isVisible());
    ASSERT_EQ(prompt.Messages().size(), 1);
    EXPECT_EQ(prompt.Messages()[0], Box(QString::fromUtf8(c.message), Prompt::Buttons::Ok,
                                        Prompt::Icon::None, QStringLiteral("Login")));
    auto *focused = qobject_cast<QLineEdit *>(box.focusWidget());
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->objectName(), QString::fromUtf8(c.focused));
    EXPECT_EQ(focused->selectedText(), focused->text());
}

INSTANTIATE_TEST_SUITE_P(frmLogin, LoginCases, ::testing::ValuesIn(kLoginCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(frmLoginTest, ShowsItsFixedTexts)
{
    bool loginSucceeded = false;
    frmLogin box(loginSucceeded);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Login"));
    EXPECT_EQ(box.lblLabels[0]->text(), QStringLiteral("&User Name:"));
    EXPECT_EQ(box.lblLabels[1]->text(), QStringLiteral("&Password:"));
    EXPECT_EQ(box.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.cmdCancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(box.cmdOK->isDefault());
    EXPECT_EQ(box.txtPassword->echoMode(), QLineEdit::Password);
}

TEST_F(frmLoginTest, EnterInThePasswordBoxActsAsOk)
{
    Config().AdminUserName = QStringLiteral("admin");
    Config().AdminPassword = QStringLiteral("pw");
    bool loginSucceeded = false;
    frmLogin box(loginSucceeded);
    OnNextModal([](QWidget *modal) {
        auto *login = qobject_cast<frmLogin *>(modal);
        QTest::keyClicks(login->txtUserName, QStringLiteral("admin"));
        QTest::keyClicks(login->txtPassword, QStringLiteral("pw"));
        QTest::keyClick(login->txtPassword, Qt::Key_Return);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_TRUE(loginSucceeded);
}

TEST_F(frmLoginTest, EscCancelsAndClearsTheFlag)
{
    bool loginSucceeded = true;
    frmLogin box(loginSucceeded);
    OnNextModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    box.exec();
    EXPECT_FALSE(loginSucceeded);
    EXPECT_FALSE(box.isVisible());
}

TEST_F(frmLoginTest, CloseBoxLeavesTheFlagAsItWas)
{
    for (const bool before : {true, false}) {
        bool loginSucceeded = before;
        frmLogin box(loginSucceeded);
        OnNextModal([](QWidget *modal) { modal->close(); });
        box.exec();
        EXPECT_EQ(loginSucceeded, before);
        EXPECT_FALSE(box.isVisible());
    }
}

TEST_F(frmLoginTest, ShowingAgainStartsWithEmptyBoxes)
{
    Config().AdminUserName = QStringLiteral("admin");
    Config().AdminPassword = QStringLiteral("pw");
    bool loginSucceeded = false;
    frmLogin box(loginSucceeded);
    box.show();
    QTest::keyClicks(box.txtUserName, QStringLiteral("admin"));
    QTest::keyClicks(box.txtPassword, QStringLiteral("wrong"));
    QTest::mouseClick(box.cmdOK, Qt::LeftButton);
    QTest::mouseClick(box.cmdCancel, Qt::LeftButton);
    box.show();
    EXPECT_TRUE(box.txtUserName->text().isEmpty());
    EXPECT_TRUE(box.txtPassword->text().isEmpty());
    EXPECT_EQ(box.focusWidget(), box.txtUserName);
}
