#pragma once

#include <filesystem>
#include <string_view>

// Writes the whole file through a temporary file in the same folder, flushed
// to disk and renamed over the target, so a reader never sees half a key.
// The file is created readable by its owner only. Throws std::runtime_error.
void writeFileAtomically(const std::filesystem::path& path, std::string_view data);

// The same in two steps, so that several files can be written before any of
// them replaces its target: the data is on disk when the constructor
// returns; commit() renames it over the target; a file never committed is
// removed. Throws std::runtime_error.
class TemporaryFile {
public:
    TemporaryFile(const std::filesystem::path& target, std::string_view data);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    void commit();

private:
    std::filesystem::path target;
    std::filesystem::path temp;
    bool committed = false;
};
