#pragma once

#include <functional>
#include <memory>
#include <string>

namespace stripstock {

namespace dao {
class DBEngine;
class Database;
class Recordset;
class EngineFactory;
}  // namespace dao

class Registry;

// The diary's database password when the host names none.
inline constexpr const char* kBuiltInPassword = "quomba";

// The shared database session: one operation opens, works and closes before the next one.
struct SessionObjects {
    std::shared_ptr<dao::DBEngine> DbEngine;
    std::shared_ptr<dao::Database> Db;
    std::shared_ptr<dao::Recordset> Rs;
};

// What the whole run shares, passed explicitly to the code that needs it. It sits at the
// bottom so every layer can take it without reaching up; the services are injected so tests
// can replace the clock, the registry, the engines and the program folder.
struct Context {
    // Host settings, set once at start.
    std::string HostKeyName;
    std::string HostRegKey;
    std::string AddonRegKey;
    std::string DiaryDbPath;
    std::string DbPassword;

    bool IsLoading = false;
    std::string StripDbPath;

    // Start of the consumption period as an OLE Automation date; 0 = not known yet.
    double CalcStartDate = 0.0;

    SessionObjects session;

    // Injected services.
    std::shared_ptr<Registry> registry;
    std::shared_ptr<dao::EngineFactory> engines;
    std::string programDir;         // the program's own folder
    char pathSeparator = '/';       // separator used to join programDir and file names
    std::function<double()> clock;  // current local date and time as an OLE Automation date

    // A diary file named on the command line (--diary) stands in for the host's open diary.
    // Its companion then lives in userDataDir: an installed program's folder is not writable.
    std::string diaryFile;
    std::string userDataDir;
};

}  // namespace stripstock
