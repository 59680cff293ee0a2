#pragma once

#include <string>

#include "data/Dao.h"

namespace stripstock {

// The cause of a database failure as the user reads it (German, no full stop): what is wrong
// with the file rather than an engine number.
std::string DescribeJetError(const dao::JetError& e);

// "<path>: <cause>", the second line of a failure message.
std::string FailureCause(const std::string& path, const dao::JetError& e);

// Why a database could not be opened, from the opening's status and the engine's text: no
// engine and no path are said as such, anything else as FailureCause.
std::string OpenFailureCause(const std::string& path, int status, const std::string& error);

}  // namespace stripstock
