#include "commands.h"

#include "wiretext.h"

TCommandPtr NewLoginCommand(uint8_t code, uint32_t account, const QString &password)
{
    TCommandPtr command = NewCommand(code, 15);
    uint8_t *data = &command->Buffer[hdr::Data];
    PutU32(data, account);
    WriteShortString(data + 4, password, 10);
    return command;
}

TCommandPtr NewRegisterCommand(const QString &name, const QString &email, uint32_t group, uint32_t deposit)
{
    TCommandPtr command = NewCommand(cmdRegister, 130);
    uint8_t *data = &command->Buffer[hdr::Data];
    WriteShortString(data, name, 40);
    WriteShortString(data + 41, email, 80);
    PutU32(data + 122, group);
    PutU32(data + 126, deposit);
    return command;
}
