#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>

struct ConfigRecord;
class QPushButton;

// The drives of the machine: on Linux the mounted volumes and the home folder. Its items
// carry the folder each one opens.
class DriveList : public QComboBox {
    Q_OBJECT

public:
    explicit DriveList(QWidget *parent = nullptr);
    QString Drive() const;
    // Selects the drive that holds the folder, without opening it.
    void ShowDriveOf(const QString &folder);
};

// The open folder with its parents above it and its sub-folders below; a double click opens
// an entry. Filled synchronously, so the list is complete when a call returns.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget *parent = nullptr);
    QString Path() const { return m_path; }
    // False, leaving the list where it was, for a folder that cannot be read.
    bool SetPath(const QString &folder);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString m_path;
};

// The folder picker. OK makes the open folder the log folder it was given (and, for the
// main program, the settings record's LogDir); Cancel and the close box change nothing.
class frmBrowse : public QDialog {
    Q_OBJECT

public:
    // `record` is the settings record whose LogDir also takes the choice; null where the
    // program has none.
    frmBrowse(QString &logFolder, ConfigRecord *record, QWidget *parent = nullptr);

    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    DriveList *Drive1 = nullptr;
    FolderList *Dir1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Drive1_Change();
    void OKButton_Click();

    QString &m_logFolder;
    ConfigRecord *m_record;
};
