#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The mail-server connection settings the settings dialog does not show. It reloads the
// settings file when it opens and saves the whole record on OK; Cancel stores nothing.
class frmAdvancedEmail : public QDialog {
    Q_OBJECT

public:
    explicit frmAdvancedEmail(QWidget *parent = nullptr);

    // Enables the method, user name and password from the authentication check box.
    void Authenticate();

    QCheckBox *chkAuthentication = nullptr;
    QComboBox *cmboAuthenticationMethod = nullptr;
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLineEdit *txtLoginDomain = nullptr;
    QLineEdit *txtSMTPPort = nullptr;
    QLineEdit *txtServerTimeOut = nullptr;
    QCheckBox *chkSSL = nullptr;
    QCheckBox *chkTLS = nullptr;
    QCheckBox *chkCloseSMTP = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Activate();
    void OKButton_Click();
    // Shows the message, then marks the box and gives it the focus.
    void Refuse(QLineEdit *box, const QString &message);
};
