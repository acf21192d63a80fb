#pragma once

#include <map>

#include <QByteArray>
#include <QString>

class TGraphBase;

// Per type id, the style the user saved as default for new elements of that
// type (an element record written with full = false). One store serves the
// process; the pattern file keeps it between runs.
class TPatternMenager {
public:
    // The process-wide store.
    static TPatternMenager &Instance();

    // A style record is a few dozen bytes; a longer entry is damage.
    static constexpr uint32_t MaxBlockSize = 64 * 1024;

    // Loads the stored style into the element when its type has one. A
    // block that fails to load is dropped; the element keeps its own style.
    void Apply(TGraphBase &element);
    // Stores the element's style for its type, replacing an older one.
    void Store(const TGraphBase &element);
    bool Has(int typeId) const;
    void Clear() { blocks.clear(); }
    int Count() const { return int(blocks.size()); }

    // The pattern file: entry count, then per entry the type id as 4 blank-
    // padded characters, the block length and the block. Keys sort as text.
    // Loading adds what it can read before any damage; both return false on
    // a failure, silently otherwise.
    QByteArray Serialize() const;
    bool Deserialize(const QByteArray &bytes);
    bool LoadFile(const QString &path);
    bool SaveFile(const QString &path) const;

private:
    std::map<QString, QByteArray> blocks;  // decimal type id -> record
};
