#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/Context.h"

namespace stripstock {

enum CliExit : int {
    kExitDone = 0,
    kExitInputRefused = 1,
    kExitUsage = 2,
    kExitStartRefused = 3,
    kExitStorageFailure = 4,
};

// stripstock-cli [--host TEXT] [--program-dir DIR] COMMAND [ARGS]. Every command runs the
// start-up first, then the same core operation the window runs.
int RunCli(const std::vector<std::string>& args, const std::string& exeDir, std::ostream& out,
           std::ostream& err);

// The same with a context the caller built (tests inject registry and clock).
int RunCliWithContext(Context& ctx, const std::vector<std::string>& args, std::ostream& out,
                      std::ostream& err);

}  // namespace stripstock
