#pragma once

#include <string>

#include "app/Startup.h"

namespace stripstock {

inline constexpr const char* kProgramName = "StripStock";
inline constexpr const char* kProgramVersion = STRIPSTOCK_VERSION;
inline constexpr const char* kProgramSummary =
    "Verwaltet Bezug, Verbrauch und Bestand von Blutzucker-Teststreifen.";

// "<program> <version>", as --version prints it.
std::string VersionLine(const std::string& program);

// The About box: program name and version, then the one-line description.
std::string AboutTitle();
std::string AboutText();

// The refusal message, then on a second line why a --diary file was refused or, without one,
// how to start the program on a diary file (invocation: e.g. "stripstock --diary DATEI").
std::string RefusalText(const StartupResult& startup, const std::string& invocation);

}  // namespace stripstock
