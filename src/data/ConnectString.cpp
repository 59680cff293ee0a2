#include "data/ConnectString.h"

#include "text/CaseFold.h"

namespace stripstock::dao {

std::string ConnectPassword(std::string_view connect) {
    std::string given;
    std::size_t start = 0;
    while (start <= connect.size()) {
        auto end = connect.find(';', start);
        if (end == std::string_view::npos) end = connect.size();
        const std::string_view item = connect.substr(start, end - start);
        const auto eq = item.find('=');
        if (eq != std::string_view::npos) {
            std::string_view key = item.substr(0, eq);
            while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
            while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
            if (EqualsNoCase(key, "pwd")) given = std::string(item.substr(eq + 1));
        }
        start = end + 1;
    }
    return given;
}

}  // namespace stripstock::dao
