#pragma once

#include <QLabel>
#include <QMainWindow>

#include "clientsession.h"

// The desktop client's main window: the connection actions and the status
// bar with its four panels, driven by the client session.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(ClientSession &session, QWidget *parent = nullptr);

private:
    void showLoginDialog();
    void updateActions();

    ClientSession &session;
    QLabel *panels[4] = {};
    QAction *connectAction = nullptr;
    QAction *disconnectAction = nullptr;
};
