#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace stripstock::hostsim {

// The stripstock-host command line. args are the arguments after the program name.
// Returns the exit code: 0 done, 1 failed (message on err), 2 usage error (one line on err;
// the overview when no argument is given).
int RunHostCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace stripstock::hostsim
