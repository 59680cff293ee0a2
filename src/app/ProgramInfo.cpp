#include "app/ProgramInfo.h"

namespace stripstock {

std::string VersionLine(const std::string& program) { return program + " " + kProgramVersion; }

std::string AboutTitle() { return std::string("Info über ") + kMainCaption; }

std::string AboutText() {
    return std::string(kProgramName) + " " + kProgramVersion + "\n" + kProgramSummary;
}

std::string RefusalText(const StartupResult& startup, const std::string& invocation) {
    std::string text = kRefusalMessage;
    text += '\n';
    if (!startup.refusalReason.empty()) {
        text += startup.refusalReason;
    } else if (!startup.refusalCause.empty()) {
        // A registry store at fault is named; the diary is not to blame then.
        text += startup.refusalCause;
    } else {
        text += "Ohne VELLIND mit einer Tagebuchdatei starten: " + invocation;
    }
    return text;
}

}  // namespace stripstock
