#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace discovery {

// The program's title and version, and a way to the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    void StartSysInfo();

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
};

} // namespace discovery
