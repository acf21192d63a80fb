#pragma once

#include <filesystem>
#include <string_view>

// Writes the whole file through a temporary file in the same folder, flushed
// to disk and renamed over the target, so a reader never sees half a key.
// The file is created readable by its owner only. Throws std::runtime_error.
void writeFileAtomically(const std::filesystem::path& path, std::string_view data);
