#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "consumption/ReportTable.h"
#include "host/Context.h"
#include "text/ListEntry.h"

class QPushButton;
class QWidget;

namespace stripstock {

// The buttons "&Bericht..." and "&Exportieren..." and what they do: ask for the period and
// the file, write it through the core, say why when that failed and offer to open the report.
// What would show a dialog is injectable, so tests answer without one.
class ReportActions : public QObject {
    Q_OBJECT

  public:
    // The file to save to, suggested as given; empty when cancelled. The platform's dialog asks
    // before an existing file is replaced.
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption,
                                              const QString& suggested, const QString& filter)>;
    // The period, proposed as given; nullopt when cancelled.
    using PeriodChooser =
        std::function<std::optional<ReportPeriod>(QWidget* parent, const ReportPeriod& proposed)>;
    using Opener = std::function<void(const QString& path)>;

    ReportActions(Context& ctx, const std::vector<ListEntry>& stripList, QWidget* parent);

    QPushButton* reportButton() const { return m_report; }
    QPushButton* exportButton() const { return m_export; }

    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    void SetPeriodChooser(PeriodChooser chooser) { m_choosePeriod = std::move(chooser); }
    void SetOpener(Opener opener) { m_open = std::move(opener); }
    // Where the suggested file names lie; the user's documents folder unless set.
    void SetDocumentsFolder(const QString& folder) { m_documents = folder; }

    // "&Bericht...": true when the report was written.
    bool Report();
    // "&Exportieren...": true when the ledger was written.
    bool Export();

  private:
    QString Suggested(const std::string& owner, const char* extension) const;

    Context& m_ctx;
    const std::vector<ListEntry>& m_stripList;
    QWidget* m_parent;
    QPushButton* m_report;
    QPushButton* m_export;
    FileChooser m_chooseFile;
    PeriodChooser m_choosePeriod;
    Opener m_open;
    QString m_documents;
};

}  // namespace stripstock
