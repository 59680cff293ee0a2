#include "app/GuiCommandLine.h"

#include <utility>

namespace stripstock {

namespace {

constexpr const char* kDiaryOption = "--diary";

}  // namespace

GuiCommandLine ParseGuiCommandLine(const std::vector<std::string>& args) {
    GuiCommandLine result;
    const auto fail = [&result](std::string error) {
        result.action = GuiCommandLine::Action::UsageError;
        result.error = std::move(error);
        return result;
    };
    std::vector<std::string> hostWords;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--help" || word == "-h") {
            result.action = GuiCommandLine::Action::Help;
            return result;
        }
        if (word == "--version") {
            result.action = GuiCommandLine::Action::Version;
            return result;
        }
        if (word == kDiaryOption || word.rfind("--diary=", 0) == 0) {
            std::string value;
            if (word == kDiaryOption) {
                if (i + 1 >= args.size()) return fail("--diary needs a file");
                value = args[++i];
            } else {
                value = word.substr(std::string("--diary=").size());
            }
            if (value.empty()) return fail("--diary needs a file");
            result.diaryFile = value;
        } else if (word.rfind("--", 0) == 0) {
            // The host's text never starts with "--"; this is a mistyped option.
            return fail("unknown option " + word);
        } else {
            hostWords.push_back(word);
        }
    }
    for (const std::string& word : hostWords) {
        if (!result.hostCommandLine.empty()) result.hostCommandLine += ' ';
        result.hostCommandLine += word;
    }
    return result;
}

std::string GuiHelpText() {
    return "Usage: stripstock [--diary FILE] [HOST-COMMAND-LINE]\n"
           "Keeps account of blood-glucose test strips for the owner of a diabetes diary:\n"
           "prescriptions received, faulty measurements, strips used and the stock, in total\n"
           "and per strip kind. The window is in German.\n"
           "\n"
           "Options:\n"
           "  --diary FILE     use FILE as the open diary instead of the one the host names;\n"
           "                   the companion database is then kept in\n"
           "                   $XDG_DATA_HOME/stripstock (~/.local/share/stripstock)\n"
           "  -h, --help       show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "Without --diary the diary is the one open in the host application: the text before\n"
           "the first \"|\" of HOST-COMMAND-LINE names the host's registry key (default "
           "VELLIND4),\n"
           "whose value \"DataBaseName\" gives the diary file. The registry is kept in\n"
           "$STRIPSTOCK_REGISTRY, by default ~/.config/stripstock/registry.reg.\n";
}

}  // namespace stripstock
