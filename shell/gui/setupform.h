#pragma once

#include <functional>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TIniFile;
struct TConnectionSettings;

// The connection settings dialog: server list and port.
class TfrmSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetup(QWidget *parent = nullptr);
    QTabWidget *pc;
    QWidget *TabSheet1;
    QLabel *lbServer, *lbPort;
    QLineEdit *edServer;
    QLineEdit *edPort;
    QPushButton *Button2;
    QPushButton *Button1;
};

// Shows the settings; on OK checks and applies them and writes them to the
// INI file. A refused value is reported through showError and nothing is
// written. `run` shows the dialog modally (tests replace it). True when the
// settings were written.
bool SetupDialog(TConnectionSettings &settings, TIniFile &ini, const std::function<void(const QString &)> &showError,
                 QWidget *parent = nullptr, const std::function<int(TfrmSetup &)> &run = nullptr);
