#include "patternstore.h"

#include <QFile>
#include <QSaveFile>

#include "elementstream.h"
#include "graphbase.h"

TPatternMenager &TPatternMenager::Instance()
{
    static TPatternMenager store;
    return store;
}

void TPatternMenager::Apply(TGraphBase &element)
{
    const auto it = blocks.find(QString::number(element.TypeId));
    if (it == blocks.end())
        return;
    // A block that does not load is dropped and the element keeps its
    // built-in style: one damaged block must not spoil every new element.
    TElementWriter before;
    element.Save(before, false);
    try {
        TElementReader r(it->second);
        element.Load(r, false);
        return;
    } catch (const std::exception &) {
    }
    blocks.erase(it);
    try {
        TElementReader r(before.Data());
        element.Load(r, false);
    } catch (const std::exception &) {
    }
}

void TPatternMenager::Store(const TGraphBase &element)
{
    TElementWriter w;
    element.Save(w, false);
    blocks[QString::number(element.TypeId)] = w.Take();
}

bool TPatternMenager::Has(int typeId) const
{
    return blocks.count(QString::number(typeId)) != 0;
}

QByteArray TPatternMenager::Serialize() const
{
    TElementWriter w;
    w.WriteInt32(int32_t(blocks.size()));
    for (const auto &[key, block] : blocks) {
        w.WriteBytes(key.toLatin1().rightJustified(4, ' ', true));
        w.WriteUInt32(uint32_t(block.size()));
        w.WriteBytes(block);
    }
    return w.Take();
}

bool TPatternMenager::Deserialize(const QByteArray &bytes)
{
    TElementReader r(bytes);
    try {
        const int32_t n = r.ReadInt32();
        for (int32_t i = 0; i < n; ++i) {
            bool ok = false;
            const int id = QString::fromLatin1(r.ReadBytes(4)).trimmed().toInt(&ok);
            if (!ok)
                return false;
            const uint32_t length = r.ReadUInt32();
            if (length > MaxBlockSize || length > uint32_t(r.Remaining()))
                return false;
            blocks[QString::number(id)] = r.ReadBytes(qsizetype(length));
        }
    } catch (const EChartLoadError &) {
        return false;
    }
    return true;
}

bool TPatternMenager::LoadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return Deserialize(f.readAll());
}

bool TPatternMenager::SaveFile(const QString &path) const
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(Serialize());
    return f.commit();
}
