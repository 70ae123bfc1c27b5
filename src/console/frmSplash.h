#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// Shown while the main window loads. A key or a click on its frame closes it at once.
class frmSplash : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Keeps the splash up for at most `milliseconds` while the event loop runs, so that a
    // key or a click can close it sooner, then closes it.
    void CloseAfter(int milliseconds);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblCompanyProduct = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCompany = nullptr;
    QLabel *lblCopyright = nullptr;
};
