#pragma once

#include <string>
#include <vector>

namespace stripstock {

// The window's own command line: "--diary FILE" and the informational options; every other
// word is the host's command-line text, joined with blanks as the host passed it.
struct GuiCommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    std::string hostCommandLine;
    std::string diaryFile;
    std::string error;  // for UsageError
};

GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& args);

// What --help prints (help2man builds the manual page from it).
std::string GuiHelpText();

}  // namespace stripstock
