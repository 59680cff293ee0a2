#pragma once

#include <string>
#include <string_view>

namespace stripstock::dao {

// The value of "pwd=" in a connect string such as "MS Access;pwd=secret" (key case and blanks
// around the key do not matter; the value is taken as written); empty without one.
std::string ConnectPassword(std::string_view connect);

}  // namespace stripstock::dao
