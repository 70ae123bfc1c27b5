#pragma once

#include "QtPrinters.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Each test gets its own program folder holding a fresh copy of the shipped database,
// no status board or grid, the real clock and fresh database module state (as at program
// start); it is all undone afterwards.
class TempProgramFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Folder() const;
    QString File(const QString &name) const;
    // The rows of a table as "col=value|col=value" lines, for compact assertions.
    QStringList Rows(const QString &sql) const;
    // tblErrors as "myFunction=...|Cause=..." lines, oldest first.
    QStringList ErrorRows() const;
    // The folder's files this process holds open.
    QStringList OpenFiles() const;
    // The IDNum given to the row added last.
    qint32 LastId(const QString &table) const;

private:
    QTemporaryDir m_dir;
};

// A file's bytes; empty when it cannot be read.
QByteArray ReadAll(const QString &path);
