#pragma once

// A stand-in for the diary application that starts StripStock: it writes the registry values,
// the diary database and the import file the program reads, so that the program, its tests
// and a demonstration can run without the real host.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/Registry.h"
#include "host/RegistryBackend.h"

namespace stripstock::hostsim {

// Raised when the simulator cannot do what it was asked (no diary registered, a database or
// file that cannot be written). The message is meant for the user of the command-line tool.
class HostSimError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kDefaultHostKey = "VELLIND4";
inline constexpr const char* kDemoPassword = "quomba";

struct InitOptions {
    std::string diaryPath;
    std::string hostKey = kDefaultHostKey;
    std::uint32_t hive = kHkeyLocalMachine;
    std::string firstName = "Erika";
    std::string name = "Mustermann";
    std::string password;
};

// "SOFTWARE\Tarvenholme\" + hostKey.
std::string HostRegKeyFor(const std::string& hostKey);

// Creates a new diary database: patdat with the owner in its first row and an empty GLUCOSE.
// An existing file is never replaced. vdate holds the day without a time part, vtime the time of
// day, value the reading in mg/dl and method the meter type code.
void CreateDiary(const std::string& path, const std::string& firstName, const std::string& name,
                 const std::string& password = {});

// CreateDiary, then "DataBaseName" (in opt.hive) and "path" (always HKEY_LOCAL_MACHINE, the
// diary's folder) below the host key. Returns the diary's full path as registered.
std::string InitHost(Registry& reg, const InitOptions& opt);

// Points the host at an existing diary file (copied from a host's installation, say): sets
// "DataBaseName" (in hive) as InitHost does and leaves the file and "path" alone. A missing
// file is refused, never created. Returns the diary's full path as registered.
std::string UseDiary(Registry& reg, const std::string& diaryPath,
                     std::uint32_t hive = kHkeyLocalMachine,
                     const std::string& hostKey = kDefaultHostKey);

// The diary the host has open: "DataBaseName", HKEY_CURRENT_USER before HKEY_LOCAL_MACHINE;
// empty when neither is set.
std::string RegisteredDiary(Registry& reg, const std::string& hostKey = kDefaultHostKey);

// Adds count readings of one meter on one day (oleDay's time part is dropped), all at
// timeOfDay (a fraction of a day).
void AddReadings(const std::string& diaryPath, int method, double oleDay, int count,
                 double timeOfDay = 0.5);

// perDay readings on every day from fromDay to toDay inclusive, each from one of methods,
// with times of day and values drawn from seed. The same arguments give the same rows.
void Generate(const std::string& diaryPath, double fromDay, double toDay, int perDay,
              const std::vector<int>& methods, unsigned seed);

// Registers an import module: key hostKey\MODULES\name in HKEY_LOCAL_MACHINE with the values
// given (a value passed as nullopt is left as it is).
void RegisterModule(Registry& reg, const std::string& hostKey, const std::string& name,
                    std::optional<std::string> type, std::optional<std::string> parameter,
                    std::optional<std::string> desc);

// Sets section/key in "import.ini" in the folder named by "path" (HKEY_LOCAL_MACHINE),
// creating the file, section or key as needed. Written as Windows-1252 with CRLF lines.
void WriteImportIni(Registry& reg, const std::string& hostKey, const std::string& section,
                    const std::string& key, const std::string& value);

// The host closes its diary: "DataBaseName" is removed from both hives.
void Forget(Registry& reg, const std::string& hostKey = kDefaultHostKey);

// A complete host in dir: the owner Erika Mustermann, dir/mustermann.vld with a year of
// readings from three meters up to today, import modules and an import.ini. Returns the
// diary's full path.
std::string CreateDemo(Registry& reg, const std::string& dir, double today,
                       const std::string& hostKey = kDefaultHostKey);

}  // namespace stripstock::hostsim
