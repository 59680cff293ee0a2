#pragma once

#include "data/Schema.h"
#include "strips/Catalogue.h"
#include "support/HostFixture.h"
#include "text/OleDate.h"

namespace stripstock::test {

using LedgerFixture = CompanionFixture;

}  // namespace stripstock::test
