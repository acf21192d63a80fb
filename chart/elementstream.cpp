#include "elementstream.h"

#include <cmath>
#include <cstring>

#include <QtEndian>

void TElementWriter::WriteByte(uint8_t v)
{
    data.append(char(v));
}

void TElementWriter::WriteInt32(int32_t v)
{
    WriteUInt32(uint32_t(v));
}

void TElementWriter::WriteUInt32(uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    data.append(b, 4);
}

void TElementWriter::WriteDouble(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    char b[8];
    qToLittleEndian(bits, b);
    data.append(b, 8);
}

void TElementWriter::WriteBytes(QByteArrayView bytes)
{
    data.append(bytes.data(), bytes.size());
}

void TElementReader::need(qsizetype n) const
{
    if (n < 0 || data.size() - pos < n)
        throw EChartLoadError();
}

uint8_t TElementReader::ReadByte()
{
    need(1);
    return uint8_t(data[pos++]);
}

int32_t TElementReader::ReadInt32()
{
    return int32_t(ReadUInt32());
}

uint32_t TElementReader::ReadUInt32()
{
    need(4);
    const uint32_t v = qFromLittleEndian<uint32_t>(data.data() + pos);
    pos += 4;
    return v;
}

double TElementReader::ReadDouble()
{
    need(8);
    const uint64_t bits = qFromLittleEndian<uint64_t>(data.data() + pos);
    pos += 8;
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

double TElementReader::ReadFiniteDouble()
{
    const double v = ReadDouble();
    if (!std::isfinite(v))
        throw EChartLoadError();
    return v;
}

QByteArray TElementReader::ReadBytes(qsizetype n)
{
    need(n);
    QByteArray out(data.data() + pos, n);
    pos += n;
    return out;
}

int32_t TElementReader::PeekInt32() const
{
    need(4);
    return qFromLittleEndian<int32_t>(data.data() + pos);
}

void TElementReader::Seek(qsizetype position)
{
    if (position < 0 || position > data.size())
        throw EChartLoadError();
    pos = position;
}
