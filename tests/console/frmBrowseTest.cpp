#include "frmBrowse.h"
#include "DialogTest.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

class frmBrowseTest : public DialogTest {
protected:
    // Double-clicks the listed sub-folder `name` to open it.
    static void Open(frmBrowse &picker, const QString &name)
    {
        const auto items = picker.Dir1->findItems(name, Qt::MatchEndsWith);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        const QRect cell = picker.Dir1->visualItemRect(items.first());
        QTest::mouseDClick(picker.Dir1->viewport(), Qt::LeftButton, {}, cell.center());
    }

    QString m_logFolder = u"/old"_s;
};

} // namespace

TEST_F(frmBrowseTest, ShowsItsFixedTextsWithNoDefaultButton)
{
    frmBrowse picker(m_logFolder, &Config());
    ExpectTexts(&picker, "Vantrel Graphing\nOK\nCancel");
    EXPECT_EQ(picker.windowType(), Qt::Tool);
    EXPECT_EQ(picker.Dir1->Path(), QDir::currentPath());
    EXPECT_TRUE(QDir::currentPath().startsWith(picker.Drive1->Drive()));
    picker.show();
    EXPECT_EQ(picker.focusWidget(), picker.OKButton);
    QTest::keyClick(picker.Dir1, Qt::Key_Escape);
    QTest::keyClick(picker.Dir1, Qt::Key_Return);
    EXPECT_TRUE(picker.isVisible());
    EXPECT_EQ(m_logFolder, u"/old"_s);
}

TEST_F(frmBrowseTest, ChangingTheDriveOpensItsFolderUnlessUnreadable)
{
    frmBrowse picker(m_logFolder, &Config());
    picker.Dir1->SetPath(Folder());
    picker.Drive1->addItem(u"/no medium"_s, u"/no/such/drive"_s);
    picker.Drive1->setCurrentIndex(picker.Drive1->count() - 1);
    EXPECT_EQ(picker.Dir1->Path(), Folder());
    picker.Drive1->setItemData(picker.Drive1->count() - 1, QDir::homePath());
    QTest::keyClick(picker.Drive1, Qt::Key_Return);
    EXPECT_EQ(picker.Dir1->Path(), QDir::homePath());
}

TEST_F(frmBrowseTest, OkTakesTheOpenFolderExactlyAsChosenAndCancelNothing)
{
    ASSERT_TRUE(QDir().mkpath(Folder() + u"/Station Logs/Archive"_s));
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        Config().LogDir = u"/old"_s;
        frmBrowse picker(m_logFolder, &Config());
        picker.show();
        picker.Drive1->setCurrentIndex(picker.Drive1->count() - 1);
        picker.Dir1->SetPath(Folder());
        Open(picker, u"Station Logs"_s);
        // A highlighted sub-folder is not the choice; the open folder is.
        picker.Dir1->setCurrentItem(picker.Dir1->findItems(u"Archive"_s, Qt::MatchEndsWith)[0]);
        QTest::mouseClick(ok ? picker.OKButton : picker.CancelButton, Qt::LeftButton);
        const QString expected = ok ? Folder() + u"/Station Logs"_s : u"/old"_s;
        EXPECT_EQ(m_logFolder, expected);
        EXPECT_EQ(Config().LogDir, expected);
        EXPECT_FALSE(picker.isVisible());
    }
}

TEST_F(frmBrowseTest, RefusesAFolderTheStoredFieldCannotHold)
{
    // Folders below the program folder whose full paths have 100 and 101 characters.
    QString path = Folder() + u"/Logs"_s;
    while (path.size() < 99)
        path += u'/' + QString(qMin(98 - path.size(), qsizetype(40)), u'd');
    const QString outside1252 = Folder() + u"/\u0141\u00f3d\u017a"_s;
    const struct {
        const char *name;
        QString folder;
        bool taken;
    } rows[] = {
        {"100 characters", path + u'e', true},
        {"101 characters", path + u"ef"_s, false},
        {"a letter outside Windows-1252", outside1252, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(QDir().mkpath(row.folder));
        m_logFolder = u"/old"_s;
        frmBrowse picker(m_logFolder, &Config());
        picker.show();
        picker.Dir1->SetPath(row.folder);
        const auto shown = Click(picker.OKButton);
        EXPECT_EQ(m_logFolder, row.taken ? row.folder : u"/old"_s);
        EXPECT_EQ(picker.isVisible(), !row.taken);
        EXPECT_EQ(shown, row.taken
                             ? QList<Prompt::Message>()
                             : QList{Box(u"The path of this folder is longer than 100 characters "
                                         "or holds characters that cannot be stored.  Please "
                                         "choose another folder."_s,
                                         Prompt::Buttons::Ok, Prompt::Icon::Exclamation)});
    }
}
