#pragma once

#include <functional>

#include "viewwindows.h"

class TListMail;
class TUserMail;

// The mailbox list window: one row per mail (unread ones bold), the
// counts in the footer, open and delete on the selected row.
class TfrmViewMailBox : public TfrmBase {
    Q_OBJECT
public:
    TfrmViewMailBox(TListMail &list, QWidget *parent = nullptr);
    ~TfrmViewMailBox() override;

    void UpdateActions() override;
    void Retranslate() override;
    TUserMail *SelectedMail() const;

    QAction *AopenMessage, *Adeletemail;
    // Shows a mail in the viewer; hides the viewer when it shows the mail.
    std::function<void(TUserMail *mail)> ShowMail;
    std::function<void(qint32 id)> HideMail;
    // The confirmation box (OK / Cancel); true on OK.
    std::function<bool(const QString &question)> Confirm;

private:
    TListMail &mail;
};
