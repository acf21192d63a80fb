#pragma once

#include <QWidget>

class QTextBrowser;

// The help window: the help file (HTML) opened at its contents.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget *parent = nullptr);
    // False when the file cannot be read (the window then says so).
    bool OpenContents(const QString &helpFile);
    QTextBrowser *Browser() const { return browser; }

private:
    QTextBrowser *browser;
};
