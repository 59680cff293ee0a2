#pragma once

#include <QDialog>
#include <optional>

#include "consumption/ReportTable.h"

class QDateEdit;

namespace stripstock {

// Asks for the report's period: "Von" and "Bis", proposed as given.
class ReportPeriodDialog : public QDialog {
    Q_OBJECT

  public:
    ReportPeriodDialog(const ReportPeriod& proposed, QWidget* parent = nullptr);

    ReportPeriod period() const;

    // Shows the dialog modally; nullopt when cancelled.
    static std::optional<ReportPeriod> Ask(QWidget* parent, const ReportPeriod& proposed);

  private:
    QDateEdit* m_from;
    QDateEdit* m_to;
};

}  // namespace stripstock
