#pragma once

#include <optional>
#include <string>

namespace stripstock::test {

// A file's bytes as they are; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
// Replaces the file with bytes, exactly.
void WriteBytes(const std::string& path, const std::string& bytes);

// What a shell command prints on standard output; nullopt when it cannot be run or fails.
std::optional<std::string> CommandOutput(const std::string& command);

// An OLE Automation date from its parts.
double Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace stripstock::test
