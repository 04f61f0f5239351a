// Paths and whole files as the folder batch and velk-convert batch handle
// them: path texts are UTF-8 on every system, so that a record's name reads
// the same in the summary, the report and the list of pairs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velk::batch {

// The text of a path, UTF-8 on every system.
std::string Text(const std::filesystem::path& path);

// The path of a UTF-8 text.
std::filesystem::path PathOf(std::string_view text);

// The bytes of the file at path; nothing when it cannot be read.
std::string ReadWhole(const std::filesystem::path& path);

// Writes bytes as the whole file at path. Returns false unless every byte reached it.
bool WriteWhole(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velk::batch
