#pragma once

#include <QByteArray>
#include <QString>

#include "userobjects.h"

// One mail from the dealer. Sender, subject and text stay as the wire's
// Windows-1251 bytes, in memory and in the mailbox file, so that nothing
// changes on a round trip; only the row and the viewer decode them.
class TUserMail : public TUserViewObject {
public:
    static constexpr size_t HeaderSize = 370;  // the record before the text
    static constexpr int FromCapacity = 100;
    static constexpr int SubjectCapacity = 254;

    using TUserViewObject::TUserViewObject;

    //   0 u32 Id   4 sender (length byte + 100)   105 f64 Date
    // 113 subject (length byte + 254)   368 u16 text length n   370 n bytes
    // Sets Unread and New, shows the row and rewrites the list's counts.
    // Raises "Not valid packet is recieved" when the text runs past the data.
    void LoadFrom(std::span<const uint8_t> data) override;

    // Caption Id; From, Subject, Date ("dd.mm.yyyy hh:nn"); the image.
    void FillItem(TRowItem *row) override;
    // Only the image.
    void RefreshItem() override;
    // 0 new, else 3 unread, else 2.
    int ImageIndex() const { return New ? 0 : Unread ? 3 : 2; }

    QString FromText() const;
    QString SubjectText() const;
    QString DateText() const;

    QByteArray From;
    QByteArray Subject;
    QByteArray Content;
    double Date = 0;
    bool Unread = false;
    bool New = false;  // received in this run; never stored
};
