// The per-account mailbox and message files, each read as the login reads
// it. What was read, written and read again gives the same image.
#include <cstdlib>

#include "chatlog.h"
#include "clientsession.h"
#include "fuzzsupport.h"
#include "listmail.h"

namespace {

// The mailbox file's image after reading the file.
QByteArray readMailbox(std::span<const uint8_t> file)
{
    TListMail mail;
    mail.DataDir = fuzz::ScratchDir();
    fuzz::WriteScratchFile(mail.FilePath(1), file);
    mail.LoadMailbox(1);
    for (int i = 0; i < mail.Count(); ++i) {
        mail.Item(i)->FromText();
        mail.Item(i)->SubjectText();
        mail.Item(i)->DateText();
    }
    // Nothing changed: nothing is written when the list goes.
    mail.MailAccount = 0;
    return TListMail::EncodeFile(mail);
}

QByteArray readMessages(std::span<const uint8_t> file)
{
    ClientSession session;
    TChatLog chat(session);
    chat.DataDir = fuzz::ScratchDir();
    fuzz::WriteScratchFile(chat.FilePath(1), file);
    chat.LoadMessages(1);
    for (const TMessageItem &m : chat.Items)
        TChatLog::DisplayText(m.Text);
    chat.ChatAccount = 0;
    return TChatLog::EncodeFile(chat.Items);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::InitApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray mail = readMailbox({data, size});
    if (readMailbox(fuzz::Span(mail)) != mail)
        std::abort();
    const QByteArray messages = readMessages({data, size});
    if (readMessages(fuzz::Span(messages)) != messages)
        std::abort();
    return 0;
}
