#include "app/WindowPlacement.h"

#include <charconv>
#include <cstdint>
#include <string>

#include "host/Registry.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

std::string ReadText(const Context& ctx, const char* name) {
    std::string value;
    ctx.registry->RegReadValue(kHkeyLocalMachine, ctx.AddonRegKey, name, value);
    return trim(value);
}

std::optional<int> ReadNumber(const Context& ctx, const char* name) {
    const std::string text = ReadText(ctx, name);
    std::int16_t number = 0;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, number);
    if (text.empty() || ec != std::errc() || end != last) return std::nullopt;
    return number;
}

}  // namespace

std::optional<WindowPlacement> ReadWindowPlacement(const Context& ctx) {
    const auto left = ReadNumber(ctx, kWindowLeftName);
    const auto top = ReadNumber(ctx, kWindowTopName);
    const auto width = ReadNumber(ctx, kWindowWidthName);
    const auto height = ReadNumber(ctx, kWindowHeightName);
    if (!left || !top || !width || !height || *width < 1 || *height < 1) return std::nullopt;
    return WindowPlacement{*left, *top, *width, *height,
                           ReadText(ctx, kWindowMaximizedName) == "1"};
}

bool WriteWindowPlacement(const Context& ctx, const WindowPlacement& placement) {
    Registry& reg = *ctx.registry;
    bool written = true;
    const struct {
        const char* name;
        int value;
    } values[] = {
        {kWindowLeftName, placement.left},
        {kWindowTopName, placement.top},
        {kWindowWidthName, placement.width},
        {kWindowHeightName, placement.height},
        {kWindowMaximizedName, placement.maximized ? 1 : 0},
    };
    for (const auto& value : values) {
        written = reg.RegWriteString(kHkeyLocalMachine, ctx.AddonRegKey, value.name, value.value) &&
                  written;
    }
    if (!written) DebugLog("WriteWindowPlacement", "not all written below " + ctx.AddonRegKey);
    return written;
}

}  // namespace stripstock
