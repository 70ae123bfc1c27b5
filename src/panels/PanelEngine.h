#pragma once

#include "PanelFields.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

// Pseudo-pages of the step tables: the identify exchange, the current data and the
// user name and password block.
constexpr int kIdentityPage = -2;
constexpr int kCurrentDataPage = 20;
constexpr int kCredentialsPage = 16;

// One exchange of a download or an upload, in the order the table lists them.
struct Step {
    int page;
    QString failureLine = {};     // added to lstStatus when the step fails; empty: none
    QString busyLine = {};        // set: a busy reply adds it and ends the transfer
    bool stops = false;           // a failure ends the transfer
    bool closeAfter = false;      // the connection closes after this exchange
    bool (*gate)() = nullptr;     // the step runs only when this holds
    bool endsCalibration = false; // a calibration transfer ends after this step
    QByteArray frame = {};        // set: an upload sends this as it stands, read or not
    QString status = {};          // set: lblStatus shows it from this step on
};

// What makes one model: its fields by page and its exchanges.
struct PanelTables {
    std::vector<Field> fields;
    std::vector<Step> download;
    std::vector<Step> upload;
    QList<int> readBeforeSave; // pages an upload does not send but relies on
    QString downloadComplete;  // completion lines; empty: none
    QString uploadComplete;
    // Each page is read again just before it is patched and stored, so that what the
    // device changed since the download stays; a page whose fresh read fails is skipped.
    bool freshRead = false;
};

// The shared working of every configuration panel: page buffers that remember whether
// this opening read them from the device, the download and upload flows over the step
// tables, the field tables read both ways, and one transfer at a time.
class PanelEngine : public QDialog {
    Q_OBJECT

public:
    QString IPAddress;

    QLabel *lblStatus = nullptr;
    QListWidget *lstStatus = nullptr;
    QPushButton *btnRefresh = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnClose = nullptr;

    // Downloads the model's pages; false when a step ended it early. With calOnly, on a
    // model whose download marks a calibration end, only the steps up to it run and the
    // boxes are not cleared first.
    bool GetLimits(bool calOnly = false);
    // Checks, then uploads the pages read from this device; false when refused or ended
    // early. The sensor rows are stored only when every page was. With calOnly only the
    // pages up to the calibration end go.
    bool SaveLimits(bool calOnly = false);
    void ParseLimits(const QByteArray &strReceive, int page);
    virtual void InsertLimits(QByteArray &strSend, int page);
    virtual void Buttons(bool state);
    virtual void ClearTextBoxes();

    // A transfer (with its closes and pauses) is running: nothing may start another.
    bool Transferring() const { return m_transferring; }

protected:
    PanelEngine(PanelTables tables, QWidget *parent);

    // Model rules, run at their points of the flows.
    virtual void Form_Activate() = 0;
    virtual void ApplyGates() {}
    virtual void ParseCurrentData(const QByteArray & /*reply*/) {}
    // What a model reads from a downloaded page beyond its field table.
    virtual void ParsePage(const QByteArray & /*page*/, int /*number*/) {}
    virtual void AfterDownload() {}
    virtual bool CheckEntries(bool /*calOnly*/) { return true; }
    // Whether the database will take the rows a full upload stores; checked before the
    // first exchange.
    virtual bool CheckRows() { return true; }
    virtual void StoreRows() {}
    virtual bool RowNamed(int /*row*/) const { return true; }
    // How a refusal names the field's box.
    virtual QString FieldTitle(const Field &field) const = 0;

    // The button runs `action` as one transfer; while any transfer runs it does nothing.
    void OnClick(QPushButton *button, std::function<void()> action);
    void RunTransfer(const std::function<void()> &action);
    // The fixed pause between a calibration upload and the download that shows it.
    static void Pause(int milliseconds);
    // Upload is refused unless the latest download read every page it needs.
    bool UploadAllowed(bool calOnly) const;
    void RefuseUnreadPages() const;
    void AddStatusLine(const QString &line);
    void ShowStatus(const QString &caption);
    void HideStatus();

    QString BoxText(const QString &control) const;
    void SetBoxText(const QString &control, const QString &text);

    bool TenthsMode = false;
    const PanelTables m_tables;
    QList<QPushButton *> m_commandButtons;

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

public slots:
    void reject() override;

private:
    // Unused: the latest download skipped the page, which this device does not have.
    enum class PageState { Unread, Read, Unused };
    struct PageBuffer {
        QByteArray bytes;
        PageState state = PageState::Unread;
    };

    bool Exchange(const QByteArray &request, QByteArray &reply, bool closeAfter) const;
    bool EndsTransfer(const Step &step, const QByteArray &reply);
    bool PageToStore(const Step &step, QByteArray &page);
    std::vector<const Step *> UploadSteps(bool calOnly) const;
    bool CheckFields(bool calOnly);
    bool Refuse(const Field &field, const QString &allowed);
    void ShowListIndex(const QByteArray &page, const Field &field, bool shown);
    void SizeFieldBoxes();

    std::map<int, PageBuffer> m_pages;
    bool m_transferring = false;
    bool m_activated = false;
};
