#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include <QString>

// Bar files: the magic "DT" 0x01, then 20-byte records oldest first:
// time, High, Low, Open, Close, each a little-endian int32.
struct BarFileRecord {
    int32_t time = 0;
    int32_t high = 0;
    int32_t low = 0;
    int32_t open = 0;
    int32_t close = 0;
};

// "M1", "M5", "H1", "H4", "D1", "W1"; "" for an unknown code.
QString timeframeSuffix(int timeframe);
// Data directory + name + suffix + ".da0"; "" when the name is empty or
// could name something outside the directory ("/", "\", "..", NUL), or the
// timeframe is unknown.
QString barFilePath(const QString &dataDir, const QString &instrumentName, int timeframe);
// Calls back for every whole record of a file with the right magic; returns
// the number of records read (0 for a missing or foreign file).
int readBarFile(const QString &path, const std::function<void(const BarFileRecord &)> &onRecord);
// Writes a complete file next to the old one and renames it over it; on any
// failure the old file stays and the partial one is removed.
bool writeBarFile(const QString &path, const std::vector<std::array<uint8_t, 20>> &records);
