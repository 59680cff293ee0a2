#pragma once

#include <optional>

#include "host/Context.h"

namespace stripstock {

// The main window's place on the screen as the user left it: the normal (not maximized) frame's
// client area, and whether the window was maximized.
struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;

    bool operator==(const WindowPlacement&) const = default;
};

// Kept below the add-on's key (HKEY_LOCAL_MACHINE) beside "LastMeter", each as decimal text.
inline constexpr const char* kWindowLeftName = "WindowLeft";
inline constexpr const char* kWindowTopName = "WindowTop";
inline constexpr const char* kWindowWidthName = "WindowWidth";
inline constexpr const char* kWindowHeightName = "WindowHeight";
inline constexpr const char* kWindowMaximizedName = "WindowMaximized";

// The placement stored by the last run; nullopt when any of the four numbers is missing or not
// a 16-bit number, or the size is not positive. "WindowMaximized" counts only as "1".
std::optional<WindowPlacement> ReadWindowPlacement(const Context& ctx);

// Stores all five values; false when one of them could not be written.
bool WriteWindowPlacement(const Context& ctx, const WindowPlacement& placement);

}  // namespace stripstock
