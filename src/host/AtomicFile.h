#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace stripstock {

// Replaces the file at path (or creates it) with bytes: they go to a temporary file of a name
// of its own in the same folder, which is synced and then renamed over the file, so a reader
// sees the old content or the new one, never a part. An existing file keeps its permissions;
// a symlink keeps its link and its target is replaced. On failure the temporary file is
// removed, the file is as it was and reason, when given, says why: "<path>: <cause>" in
// German.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* reason = nullptr);

// The cause of a failed file operation, as the user reads it (German, no full stop).
std::string DescribeFileError(int error);

}  // namespace stripstock
