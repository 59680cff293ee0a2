#pragma once

#include <optional>
#include <string>

namespace stripstock {

// Why a diary file named on the command line cannot be used, as the second line of the
// refusal (German); nullopt when it is a file that can be read.
std::optional<std::string> DiaryFileProblem(const std::string& path);

// Where the companion of such a diary lives: $XDG_DATA_HOME/stripstock, else
// ~/.local/share/stripstock (on Windows %LOCALAPPDATA%\stripstock).
std::string DefaultUserDataDir();

}  // namespace stripstock
