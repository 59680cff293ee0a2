#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "support/HostFixture.h"

namespace stripstock::test {

// The command line on the test host: each run in a context of its own, as each process has; a
// diary given with --diary keeps its companion in share/stripstock.
class CliFixture : public HostFixture {
  protected:
    int Run(const std::vector<std::string>& args) {
        Context runCtx = MakeContext();
        runCtx.userDataDir = Path("share/stripstock");
        out.str({});
        err.str({});
        return RunCliWithContext(runCtx, args, out, err);
    }

    // The output of a run that has to succeed.
    std::string Output(const std::vector<std::string>& args) {
        EXPECT_EQ(Run(args), kExitDone) << err.str();
        return out.str();
    }

    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace stripstock::test
