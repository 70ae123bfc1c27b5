#include "frmLogin.h"
#include "DialogTest.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

class frmLoginTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        Config().AdminUserName = u"  admin  "_s;
        Config().AdminPassword = u"Secret1"_s;
    }

    bool m_loginSucceeded = false;
};

TEST_F(frmLoginTest, EnterComparesTypedTextWithTheStoredValuesTrimmed)
{
    const QString password = u"Invalid Password, try again!"_s;
    const QString userName = u"Invalid Username, try again!"_s;
    const struct {
        QString user, password;
        QString message;   // empty when the log-in succeeds
        const char *retry; // the box offered for the next try
    } rows[] = {
        {u"admin"_s, u"Secret1"_s, {}, ""},
        {u"admin"_s, u"secret1"_s, password, "txtPassword"},
        {u"other"_s, u"x"_s, password, "txtPassword"},
        {u"Admin"_s, u"Secret1"_s, userName, "txtUserName"},
        {u"admin "_s, u"Secret1"_s, userName, "txtUserName"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QString(row.user + u'/' + row.password).toStdString());
        m_loginSucceeded = false;
        frmLogin box(m_loginSucceeded);
        box.show();
        QTest::keyClicks(box.txtUserName, row.user);
        QTest::keyClicks(box.txtPassword, row.password);
        const auto shown = Shown([&] { QTest::keyClick(box.txtPassword, Qt::Key_Return); });
        EXPECT_EQ(m_loginSucceeded, row.message.isEmpty());
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
    frmLogin box(m_loginSucceeded);
    ExpectTexts(&box, "Login\n&User Name:\n&Password:\nOK\nCancel");
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

TEST_F(frmLoginTest, EscCancelsAndTheCloseBoxLeavesTheFlagAsItWas)
{
    for (const bool before : {false, true}) {
        for (const bool esc : {false, true}) {
            m_loginSucceeded = before;
            frmLogin box(m_loginSucceeded);
            OnNextModal([esc](QWidget *modal) {
                esc ? QTest::keyClick(modal, Qt::Key_Escape) : void(modal->close());
            });
            box.exec();
            EXPECT_EQ(m_loginSucceeded, before && !esc) << before << esc;
        }
    }
}
