#include "report/ReportActions.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#include "app/MessageBox.h"
#include "app/Reports.h"
#include "app/WidgetHelpers.h"
#include "prescriptions/LedgerExport.h"
#include "report/ReportPdf.h"
#include "report/ReportPeriodDialog.h"
#include "text/OleDate.h"

namespace stripstock {

ReportActions::ReportActions(Context& ctx, const std::vector<ListEntry>& stripList, QWidget* parent)
    : QObject(parent),
      m_ctx(ctx),
      m_stripList(stripList),
      m_parent(parent),
      m_report(new QPushButton(QStringLiteral("&Bericht..."), parent)),
      m_export(new QPushButton(QStringLiteral("&Exportieren..."), parent)),
      m_chooseFile(
          [](QWidget* p, const QString& caption, const QString& suggested, const QString& filter) {
              return QFileDialog::getSaveFileName(p, caption, suggested, filter);
          }),
      m_choosePeriod([](QWidget* p, const ReportPeriod& proposed) {
          return ReportPeriodDialog::Ask(p, proposed);
      }),
      m_open([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }),
      m_documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)) {
    m_report->setObjectName(QStringLiteral("cmdReport"));
    m_export->setObjectName(QStringLiteral("cmdExport"));
    m_report->setToolTip(QStringLiteral("Verbrauchsnachweis für Arzt oder Krankenkasse (PDF)"));
    m_export->setToolTip(QStringLiteral("Alle Verordnungen und Fehlmessungen als CSV-Datei"));
    connect(m_report, &QPushButton::clicked, this, [this] { Report(); });
    connect(m_export, &QPushButton::clicked, this, [this] { Export(); });
}

QString ReportActions::Suggested(const std::string& owner, const char* extension) const {
    const double today = m_ctx.clock ? m_ctx.clock() : LocalNowAsOleDate();
    return QDir(m_documents).filePath(ToQt(ReportFileName(owner, today, extension)));
}

bool ReportActions::Report() {
    const double today = OleDateOnly(m_ctx.clock ? m_ctx.clock() : LocalNowAsOleDate());
    const std::optional<ReportPeriod> period = m_choosePeriod(m_parent, DefaultReportPeriod(today));
    if (!period) return false;
    ReportTable table;
    {
        BusyCursor busy;
        table = MakeReport(m_ctx, m_stripList, *period);
    }
    const QString path =
        m_chooseFile(m_parent, QStringLiteral("Bericht speichern"), Suggested(table.owner, "pdf"),
                     QStringLiteral("PDF-Dokumente (*.pdf)"));
    if (path.isEmpty()) return false;
    std::string reason;
    if (!WriteReportPdf(table, ReportProgramLine(), ToCore(path), &reason)) {
        MessageBox::Critical(m_parent,
                             QString::fromUtf8(kReportFailedMessage) + u'\n' + ToQt(reason));
        return false;
    }
    if (MessageBox::Question(m_parent, QStringLiteral("Der Bericht wurde gespeichert.\nSoll er "
                                                      "jetzt geöffnet werden ?")))
        m_open(path);
    return true;
}

bool ReportActions::Export() {
    const QString path =
        m_chooseFile(m_parent, QStringLiteral("Verordnungen exportieren"),
                     Suggested(ReportOwner(m_ctx), "csv"), QStringLiteral("CSV-Dateien (*.csv)"));
    if (path.isEmpty()) return false;
    std::string reason;
    if (!ExportLedger(m_ctx, ToCore(path), &reason)) {
        MessageBox::Critical(m_parent,
                             QString::fromUtf8(kExportFailedMessage) + u'\n' + ToQt(reason));
        return false;
    }
    return true;
}

}  // namespace stripstock
