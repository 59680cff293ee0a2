#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

#include "support/TestHost.h"

namespace stripstock::test {

// The test host as a GoogleTest fixture.
class HostFixture : public ::testing::Test, public TestHost {};

// With an empty companion database at ctx.StripDbPath.
class CompanionFixture : public HostFixture {
  protected:
    CompanionFixture() { CreateCompanion(); }
};

// Meters "Meter <code>" with the codes given, in order.
inline std::vector<ListEntry> Meters(std::initializer_list<std::int32_t> codes) {
    std::vector<ListEntry> list;
    for (std::int32_t c : codes) list.push_back({"Meter " + std::to_string(c), c});
    return list;
}

// Matches a list entry by its text and item data.
inline auto Entry(const std::string& text, std::int32_t id) {
    return ::testing::AllOf(::testing::Field(&ListEntry::text, text),
                            ::testing::Field(&ListEntry::itemData, id));
}

}  // namespace stripstock::test
