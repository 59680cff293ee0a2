// Feeds arbitrary text to the German date and number parsers: a date that is read shows as a
// date that reads back to the same day, and a number that is read reads back from its decimal
// text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/OleDate.h"
#include "text/Regional.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto date = stripstock::ParseDate(text)) {
        if (!std::isfinite(*date)) std::abort();
        if (stripstock::IsOleDateInRange(*date)) {
            const std::string shown = stripstock::FormatShortDate(*date);
            const auto back = stripstock::ParseDate(shown);
            if (!back || stripstock::OleDateOnly(*back) != stripstock::OleDateOnly(*date))
                std::abort();
        }
    }
    if (const auto number = stripstock::ParseInt16(text)) {
        const auto back = stripstock::ParseInt16(std::to_string(*number));
        if (!back || *back != *number) std::abort();
    }
    return 0;
}
