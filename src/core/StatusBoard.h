#pragma once

#include <QString>
#include <QStringList>

// The main window's status list as the core sees it: lines in the order first added.
class StatusBoardList {
public:
    virtual ~StatusBoardList() = default;
    virtual int LineCount() const = 0;
    virtual QString Line(int index) const = 0;
    virtual void ReplaceLine(int index, const QString &text) = 0;
    virtual void RemoveLine(int index) = 0;
    virtual void AppendLine(const QString &text) = 0;
    virtual void Clear() = 0;
};

// A board that is only a list of strings: used headless and in tests.
class PlainStatusBoard final : public StatusBoardList {
public:
    int LineCount() const override { return m_lines.size(); }
    QString Line(int index) const override { return m_lines.at(index); }
    void ReplaceLine(int index, const QString &text) override { m_lines[index] = text; }
    void RemoveLine(int index) override { m_lines.removeAt(index); }
    void AppendLine(const QString &text) override { m_lines.append(text); }
    void Clear() override { m_lines.clear(); }
    const QStringList &Lines() const { return m_lines; }

private:
    QStringList m_lines;
};

// The window installs its list; with none installed, reports go nowhere.
void InstallStatusBoard(StatusBoardList *board);
StatusBoardList *InstalledStatusBoard();

// One line per key: the first line containing the key (case-sensitive substring) is
// replaced by key + detail, or removed when the detail is "delete" in any case.
void SetStatusMessage(const QString &key, const QString &detail);
