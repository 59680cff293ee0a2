#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "consumption/ComputeStripStock.h"
#include "data/Schema.h"
#include "strips/Catalogue.h"
#include "support/HostFixture.h"
#include "support/RawSql.h"
#include "text/OleDate.h"
#include "tools/HostSim.h"

namespace stripstock::test {

// A diary with its owner and an empty companion database, and a clock that stands still at
// 15.06.2024 12:30.
class ConsumptionFixture : public HostFixture {
  protected:
    ConsumptionFixture() {
        now = Day(2024, 6, 15, 12, 30);
        OpenDiary();
        CreateCompanion();
    }
    struct Figures {
        std::int32_t stock = 0;
        std::int32_t used = 0;
        double last = 0.0;
        bool operator==(const Figures&) const = default;
        friend void PrintTo(const Figures& f, std::ostream* os) {
            *os << "{stock " << f.stock << ", used " << f.used << ", last " << f.last << "}";
        }
    };
    // One run for a strip type (or -1 for all strips), against ctx.CalcStartDate.
    Figures Compute(std::int16_t type) {
        Figures f;
        f.stock = ComputeStripStock(ctx, type, ctx.CalcStartDate, f.last, f.used);
        return f;
    }
};

}  // namespace stripstock::test
