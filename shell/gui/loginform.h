#pragma once

#include <functional>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TStoredLogins;

// The login dialog: account, password, key file, and whether the password
// (and key file) are remembered.
class TfrmLogin : public QDialog {
    Q_OBJECT
public:
    TfrmLogin(TStoredLogins &logins, QWidget *parent = nullptr);

    // The account-change step: a remembered account shows its stored values.
    void AccountChanged();
    // Picks the key file; the chooser can be replaced (tests).
    void BrowseKeyFile();
    std::function<QString(const QString &startPath)> ChooseKeyFile;

    QComboBox *cb;
    QLineEdit *edPassword;
    QLineEdit *edFileName;
    QPushButton *Button3;
    QCheckBox *cbox;
    QPushButton *Button2;
    QPushButton *Button1;
    QLabel *lb1, *lb2, *Label1;
    static constexpr int TypedKeyFileLength = 10;
    static constexpr int TLoginKeyFileCapacity = 150;

private:
    TStoredLogins &logins;
};

// Shows the dialog with these values. On OK they become what was entered,
// the login is remembered and true is returned; a non-numeric account shows
// "Incorrect login name" through showStatus and the dialog stays. `run`
// shows the dialog modally (tests replace it).
bool LoginDialog(TStoredLogins &logins, quint32 &account, QString &password, QString &keyFile,
                 const std::function<void(const QString &)> &showStatus, QWidget *parent = nullptr,
                 const std::function<int(TfrmLogin &)> &run = nullptr);
