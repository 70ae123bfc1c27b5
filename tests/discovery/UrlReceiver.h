#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

// Stands in for the web browser: QDesktopServices hands it the pages to open.
class UrlReceiver : public QObject {
    Q_OBJECT

public slots:
    void open(const QUrl &url) { urls << url.toString(); }

public:
    QStringList urls;
};
