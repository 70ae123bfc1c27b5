#include "frmLogin.h"
#include "DialogTest.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

using frmLoginTest = DialogTest;

TEST_F(frmLoginTest, ComparesTypedTextWithStoredValues)
{
    const QString password = u"Invalid Password, try again!"_s;
    const QString userName = u"Invalid Username, try again!"_s;
    const struct {
        const char *name;
        QString storedUser, typedUser, typedPassword;
        QString message;   // empty when the log-in succeeds
        const char *retry; // the box offered for the next try
    } rows[] = {
        {"correct", u"admin"_s, u"admin"_s, u"Secret1"_s, {}, ""},
        {"wrong password", u"admin"_s, u"admin"_s, u"secret1"_s, password, "txtPassword"},
        {"wrong password and name", u"admin"_s, u"other"_s, u"x"_s, password, "txtPassword"},
        {"user name case differs", u"admin"_s, u"Admin"_s, u"Secret1"_s, userName, "txtUserName"},
        {"typed name with a blank", u"admin"_s, u"admin "_s, u"Secret1"_s, userName, "txtUserName"},
        {"stored name with blanks", u"  admin  "_s, u"admin"_s, u"Secret1"_s, {}, ""},
        {"nothing stored or typed", {}, {}, {}, {}, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config().AdminUserName = row.storedUser;
        Config().AdminPassword = row.storedUser.isEmpty() ? QString() : u"Secret1"_s;
        bool loginSucceeded = false;
        frmLogin box(loginSucceeded);
        box.show();
        QTest::keyClicks(box.txtUserName, row.typedUser);
        QTest::keyClicks(box.txtPassword, row.typedPassword);
        const auto shown = Shown([&] { QTest::mouseClick(box.cmdOK, Qt::LeftButton); });
        EXPECT_EQ(loginSucceeded, row.message.isEmpty());
        EXPECT_EQ(box.isVisible(), !row.message.isEmpty());
        if (row.message.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty());
            continue;
        }
        EXPECT_EQ(shown,
                  QList{Box(row.message, Prompt::Buttons::Ok, Prompt::Icon::None, u"Login"_s)});
        const auto *retry = qobject_cast<QLineEdit *>(box.focusWidget());
        ASSERT_NE(retry, nullptr);
        EXPECT_EQ(retry->objectName(), QString::fromUtf8(row.retry));
        EXPECT_EQ(retry->selectedText(), retry->text());
    }
}

TEST_F(frmLoginTest, ShowsItsFixedTextsAndStartsEmptyEachTime)
{
    Config().AdminUserName = u"admin"_s;
    Config().AdminPassword = u"pw"_s;
    bool loginSucceeded = false;
    frmLogin box(loginSucceeded);
    ExpectTexts(&box, "Login\n&User Name:\n&Password:\nOK\nCancel");
    EXPECT_TRUE(box.cmdOK->isDefault());
    EXPECT_EQ(box.txtPassword->echoMode(), QLineEdit::Password);
    box.show();
    QTest::keyClicks(box.txtUserName, u"admin"_s);
    QTest::keyClicks(box.txtPassword, u"wrong"_s);
    QTest::mouseClick(box.cmdOK, Qt::LeftButton);
    QTest::mouseClick(box.cmdCancel, Qt::LeftButton);
    box.show();
    EXPECT_EQ(box.txtUserName->text() + box.txtPassword->text(), QString());
    EXPECT_EQ(box.focusWidget(), box.txtUserName);
}

TEST_F(frmLoginTest, EnterLogsInEscCancelsTheCloseBoxChangesNothing)
{
    Config().AdminUserName = u"admin"_s;
    Config().AdminPassword = u"pw"_s;
    const struct {
        const char *name;
        bool before, after;
        QDialog::DialogCode result;
        std::function<void(frmLogin *)> act;
    } rows[] = {
        {"Enter in the password box", false, true, QDialog::Accepted,
         [](frmLogin *box) {
             QTest::keyClicks(box->txtUserName, u"admin"_s);
             QTest::keyClicks(box->txtPassword, u"pw"_s);
             QTest::keyClick(box->txtPassword, Qt::Key_Return);
         }},
        {"Esc", true, false, QDialog::Rejected,
         [](frmLogin *box) { QTest::keyClick(box, Qt::Key_Escape); }},
        {"close box after success", true, true, QDialog::Rejected,
         [](frmLogin *box) { box->close(); }},
        {"close box after failure", false, false, QDialog::Rejected,
         [](frmLogin *box) { box->close(); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        bool loginSucceeded = row.before;
        frmLogin box(loginSucceeded);
        OnNextModal([&row](QWidget *modal) { row.act(qobject_cast<frmLogin *>(modal)); });
        EXPECT_EQ(box.exec(), row.result);
        EXPECT_EQ(loginSucceeded, row.after);
    }
}
