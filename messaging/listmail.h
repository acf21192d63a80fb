#pragma once

#include <functional>
#include <span>

#include <QString>

#include "usermail.h"

// The mailbox: the mail of one account (MailAccount) in ascending id order,
// kept in the file "mail-<account>.msg" of the data directory.
//
// File (little-endian): i32 count, then per mail i32 id, u8 unread,
// f64 date, and sender, subject and text each as i32 byte count + bytes.
class TListMail : public TRecordList<TUserMail> {
public:
    using TRecordList::TRecordList;
    ~TListMail() override;

    // The generic attach, then the footer row is taken and the counts written.
    void AttachView(TRowView *view) override;
    void DetachView() override;

    // Nothing for the account already held. Otherwise saves the old
    // mailbox (a failure is shown and the switch goes on, so the new
    // account's mail never lands in the old file), empties the list and
    // reads the account's file. A damaged file keeps what was read before
    // the damage and shows "Could not load file of messages".
    void LoadMailbox(qint32 account);
    // Writes the file when an account is held and the list was modified.
    // Raises std::runtime_error("Could not save file of messages") when the
    // file cannot be written; the list stays modified.
    void SaveMailbox();
    // Removes the mail and writes the file at once (a write failure raises).
    void DeleteMail(qint32 id);
    // Unread off; the row loses its bold font, its image changes with the
    // next refresh.
    void MarkRead(TUserMail *mail);
    // The footer: message 57 with total, unread (not new) and new; image 6.
    void WriteCounts();
    struct Counts {
        int Total = 0, Unread = 0, New = 0;
    };
    Counts CountMail() const;

    // The 147 reply's record taken in: null when the id is held already
    // (nothing changes), else the new mail, added, marked new and modified.
    TUserMail *AddReceived(std::span<const uint8_t> data);

    QString FilePath(qint32 account) const;
    static QByteArray EncodeFile(const TListMail &list);

    QString DataDir;
    std::function<void(const QString &text)> ShowStatus;

    TRowItem *Footer = nullptr;
    qint32 MailAccount = 0;
    bool Modified = false;

private:
    QString damagedPath;  // a file read only in part, copied aside before its rewrite
};
