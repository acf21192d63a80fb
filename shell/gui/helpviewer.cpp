#include "helpviewer.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

THelpViewer::THelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Kelvra"));
    browser = new QTextBrowser(this);
    browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(560, 480);
}

bool THelpViewer::OpenContents(const QString &helpFile)
{
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        browser->setPlainText(QStringLiteral("The help file %1 cannot be read.").arg(helpFile));
        return false;
    }
    browser->setHtml(QString::fromUtf8(file.readAll()));
    browser->scrollToAnchor(QStringLiteral("contents"));
    setWindowTitle(browser->documentTitle());
    return true;
}
