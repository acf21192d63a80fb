#include "idlist.h"

#include "forexexception.h"
#include "languagetables.h"
#include "packet.h"
#include "packetreader.h"

std::vector<quint32> ReadIdList(const TUserCmdRply &packet)
{
    PacketReader reader(packet, hdr::ReplyData);
    const quint16 count = reader.u16();
    if (size_t(count) * 4 > reader.remaining())
        throw EForexException(MessageText(25));
    std::vector<quint32> ids;
    ids.reserve(count);
    for (quint16 i = 0; i < count; ++i)
        ids.push_back(reader.u32());
    return ids;
}
