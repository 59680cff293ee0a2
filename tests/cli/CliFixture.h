#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Cli.h"
#include "support/HostFixture.h"

namespace stripstock::test {

class CliTest : public HostFixture {
  protected:
    // Two meters the strip definitions can name: positions 0 and 1.
    void AddMeters() {
        AddModule("A", "0", "a|b|c|24", "A");
        AddModule("B", "0", "a|b|c|25", "B");
    }

    std::string Output(const std::vector<std::string>& args) {
        EXPECT_EQ(Run(args), kExitDone) << err.str();
        return out.str();
    }

    // One run of the command line, in a context of its own as each process has.
    int Run(const std::vector<std::string>& args) {
        Context runCtx = MakeContext();
        out.str({});
        err.str({});
        return RunCliWithContext(runCtx, args, out, err);
    }

    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace stripstock::test
