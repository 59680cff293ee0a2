#include "data/Failure.h"

namespace stripstock {

std::string DescribeJetError(const dao::JetError& e) {
    switch (e.number()) {
        case dao::kErrFileNotFound:
            return "die Datei fehlt";
        case dao::kErrUnrecognizedFormat:
            return "die Datei ist keine Datenbank oder ist beschädigt";
        case dao::kErrFileLocked:
            return "die Datei ist von einem anderen Programm gesperrt";
        case dao::kErrReadOnly:
            return "die Datei oder ihr Ordner ist schreibgeschützt";
        case dao::kErrNotValidPassword:
            return "das Kennwort der Datenbank passt nicht";
        case dao::kErrInputTableNotFound:
            return "eine Tabelle fehlt (" + std::string(e.what()) + ")";
        case dao::kErrDiskIo:
        case dao::kErrCannotOpenFile:
            return "die Datei kann nicht gelesen oder geschrieben werden (" +
                   std::string(e.what()) + ")";
        case dao::kErrNoPermission:
            return e.what();  // the engine was told why
        default:
            return "Fehler " + std::to_string(e.number()) + ": " + e.what();
    }
}

std::string FailureCause(const std::string& path, const dao::JetError& e) {
    return path + ": " + DescribeJetError(e);
}

std::string OpenFailureCause(const std::string& path, int status, const std::string& error) {
    if (status == dao::kErrCannotCreateObject) return "keine Datenbank-Engine";
    if (path.empty()) return "kein Pfad der Teststreifendatenbank";
    return FailureCause(path, dao::JetError(status, error));
}

}  // namespace stripstock
