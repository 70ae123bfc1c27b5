#include "frmBrowse.h"
#include "DialogTest.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {

class frmBrowseTest : public DialogTest {
protected:
    // A folder below the program folder whose full path has exactly `length` characters.
    QString MakeFolderOfLength(int length)
    {
        QString path = Folder() + QStringLiteral("/Logs");
        while (path.size() < length) {
            const int room = length - int(path.size()) - 1;
            path += u'/' + QString(qMin(room, 40), u'd');
        }
        EXPECT_TRUE(QDir().mkpath(path));
        EXPECT_EQ(path.size(), length);
        return path;
    }

    static QListWidgetItem *Entry(const frmBrowse &picker, const QString &name)
    {
        for (int i = 0; i < picker.Dir1->count(); ++i) {
            if (picker.Dir1->item(i)->text().trimmed() == name)
                return picker.Dir1->item(i);
        }
        return nullptr;
    }

    static void Open(frmBrowse &picker, const QString &name)
    {
        const QListWidgetItem *item = Entry(picker, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        const QRect cell = picker.Dir1->visualItemRect(item);
        QTest::mouseDClick(picker.Dir1->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

TEST_F(frmBrowseTest, ShowsItsFixedTextsWithNoDefaultButton)
{
    QString logFolder;
    frmBrowse picker(logFolder, &Config());
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("Vantrel Graphing"));
    EXPECT_EQ(picker.OKButton->text(), QStringLiteral("OK"));
    EXPECT_EQ(picker.CancelButton->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(picker.windowType(), Qt::Tool);
    picker.show();
    EXPECT_EQ(picker.focusWidget(), picker.OKButton);
    QTest::keyClick(picker.Dir1, Qt::Key_Escape);
    QTest::keyClick(picker.Dir1, Qt::Key_Return);
    EXPECT_TRUE(picker.isVisible());
    EXPECT_TRUE(logFolder.isEmpty());
}

TEST_F(frmBrowseTest, StartsAtTheCurrentFolderAndItsDrive)
{
    QString logFolder;
    frmBrowse picker(logFolder, &Config());
    EXPECT_EQ(picker.Dir1->Path(), QDir::currentPath());
    EXPECT_TRUE(QDir::currentPath().startsWith(picker.Drive1->Drive()));
}

TEST_F(frmBrowseTest, OkTakesTheOpenFolderExactlyAsChosen)
{
    ASSERT_TRUE(QDir().mkpath(Folder() + QStringLiteral("/Station Logs/Archive")));
    QString logFolder = QStringLiteral("/old");
    frmBrowse picker(logFolder, &Config());
    picker.show();
    picker.Dir1->SetPath(Folder());
    Open(picker, QStringLiteral("Station Logs"));
    // A highlighted sub-folder is not the choice; the open folder is.
    picker.Dir1->setCurrentItem(Entry(picker, QStringLiteral("Archive")));
    QTest::mouseClick(picker.OKButton, Qt::LeftButton);
    const QString chosen = Folder() + QStringLiteral("/Station Logs");
    EXPECT_EQ(logFolder, chosen);
    EXPECT_EQ(Config().LogDir, chosen);
    EXPECT_FALSE(picker.isVisible());
}

TEST_F(frmBrowseTest, CancelAfterMovingChangesNothing)
{
    ASSERT_TRUE(QDir().mkpath(Folder() + QStringLiteral("/Archive A")));
    QString logFolder = QStringLiteral("/old");
    Config().LogDir = QStringLiteral("/old");
    frmBrowse picker(logFolder, &Config());
    picker.show();
    picker.Drive1->setCurrentIndex(picker.Drive1->count() - 1);
    picker.Dir1->SetPath(Folder());
    Open(picker, QStringLiteral("Archive A"));
    QTest::mouseClick(picker.CancelButton, Qt::LeftButton);
    EXPECT_EQ(logFolder, QStringLiteral("/old"));
    EXPECT_EQ(Config().LogDir, QStringLiteral("/old"));
}

TEST_F(frmBrowseTest, ChangingTheDriveOpensItsFolderUnlessUnreadable)
{
    QString logFolder;
    frmBrowse picker(logFolder, &Config());
    picker.show();
    picker.Dir1->SetPath(Folder());
    picker.Drive1->addItem(QStringLiteral("/no medium"), QStringLiteral("/no/such/drive"));
    picker.Drive1->setCurrentIndex(picker.Drive1->count() - 1);
    EXPECT_EQ(picker.Dir1->Path(), Folder());
    EXPECT_EQ(picker.Drive1->Drive(), QStringLiteral("/no/such/drive"));

    picker.Drive1->setItemData(picker.Drive1->count() - 1, QDir::homePath());
    QTest::keyClick(picker.Drive1, Qt::Key_Return);
    EXPECT_EQ(picker.Dir1->Path(), QDir::homePath());
    EXPECT_TRUE(picker.isVisible());
}

TEST_F(frmBrowseTest, RefusesAFolderTheStoredFieldCannotHold)
{
    struct Row {
        const char *name;
        QString folder;
        bool taken;
    };
    const QString outside1252 = Folder() + QStringLiteral("/\u0141\u00f3d\u017a");
    ASSERT_TRUE(QDir().mkpath(outside1252));
    const Row rows[] = {
        {"100 characters", MakeFolderOfLength(100), true},
        {"101 characters", MakeFolderOfLength(101), false},
        {"a letter outside Windows-1252", outside1252, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QString logFolder = QStringLiteral("/old");
        frmBrowse picker(logFolder, &Config());
        picker.show();
        picker.Dir1->SetPath(row.folder);
        const auto before = prompt.Messages().size();
        QTest::mouseClick(picker.OKButton, Qt::LeftButton);
        EXPECT_EQ(logFolder, row.taken ? row.folder : QStringLiteral("/old"));
        EXPECT_EQ(picker.isVisible(), !row.taken);
        if (!row.taken) {
            ASSERT_EQ(prompt.Messages().size(), before + 1);
            EXPECT_EQ(prompt.Messages().last(),
                      Box(QStringLiteral("The path of this folder is longer than 100 characters or "
                                         "holds characters that cannot be stored.  Please choose "
                                         "another folder."),
                          Prompt::Buttons::Ok, Prompt::Icon::Exclamation));
        }
    }
}

TEST_F(frmBrowseTest, ListsFollowTheWindowWidth)
{
    QString logFolder;
    frmBrowse picker(logFolder, &Config());
    picker.show();
    const int driveWidth = picker.Drive1->width();
    const int dirWidth = picker.Dir1->width();
    const int okLeft = picker.OKButton->x();
    picker.resize(picker.width() + 60, picker.height());
    QApplication::processEvents();
    EXPECT_EQ(picker.Drive1->width(), driveWidth + 60);
    EXPECT_EQ(picker.Dir1->width(), dirWidth + 60);
    EXPECT_EQ(picker.OKButton->x(), okLeft + 60);
    EXPECT_EQ(picker.CancelButton->x(), okLeft + 60);
}
