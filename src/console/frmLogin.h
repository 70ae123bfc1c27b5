#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The administrator log-in box. Its one result is the opener's LoginSucceeded flag: true
// after a correct entry, false after Cancel or Esc; the close box leaves it as it was.
class frmLogin : public QDialog {
    Q_OBJECT

public:
    explicit frmLogin(bool &loginSucceeded, QWidget *parent = nullptr);

    QLabel *lblLabels[2] = {};
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void RetryIn(QLineEdit *box);

    bool &m_loginSucceeded;
};
