#pragma once

#include <string>

#include "data/Dao.h"

namespace stripstock {

// The cause of a database failure as the user reads it (German, no full stop): what is wrong
// with the file rather than an engine number.
std::string DescribeJetError(const dao::JetError& e);

// "<path>: <cause>", the second line of a failure message.
std::string FailureCause(const std::string& path, const dao::JetError& e);

}  // namespace stripstock
