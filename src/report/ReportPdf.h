#pragma once

#include <QByteArray>
#include <string>

#include "consumption/ReportTable.h"

namespace stripstock {

inline constexpr const char* kReportTitle = "Teststreifen-Verbrauchsnachweis";

// The report as a PDF document: A4 portrait, German, the head with owner, period and the day
// it was made; the quarter table; the stock chart; the prescriptions and faulty measurements
// of the period; on every page a foot line with programLine ("<program> <version>") and
// "Seite n von m". Needs a QGuiApplication (fonts).
QByteArray RenderReportPdf(const ReportTable& table, const std::string& programLine);

// Renders and writes it to path atomically; false, with reason ("<path>: ..."), when the file
// could not be written, and then nothing is left behind.
bool WriteReportPdf(const ReportTable& table, const std::string& programLine,
                    const std::string& path, std::string* reason = nullptr);

}  // namespace stripstock
