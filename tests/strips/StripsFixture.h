#pragma once

#include <filesystem>
#include <fstream>

#include "data/Schema.h"
#include "support/HostFixture.h"

namespace stripstock::test {

using StripsFixture = CompanionFixture;

}  // namespace stripstock::test
