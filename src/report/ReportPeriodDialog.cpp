#include "report/ReportPeriodDialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/OleDate.h"

namespace stripstock {

namespace {

QDate ToQDate(double day) {
    const CivilDateTime c = FromOleDate(day);
    return QDate(c.year, c.month, c.day);
}

double ToDay(const QDate& date) {
    return ToOleDate({date.year(), date.month(), date.day(), 0, 0, 0});
}

QDateEdit* DateField(const char* name, double day, QWidget* parent) {
    auto* field = new QDateEdit(ToQDate(day), parent);
    field->setObjectName(QString::fromUtf8(name));
    field->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    field->setCalendarPopup(true);
    return field;
}

}  // namespace

ReportPeriodDialog::ReportPeriodDialog(const ReportPeriod& proposed, QWidget* parent)
    : QDialog(parent),
      m_from(DateField("dtFrom", proposed.from, this)),
      m_to(DateField("dtTo", proposed.to, this)) {
    setObjectName(QStringLiteral("frmReportPeriod"));
    setWindowTitle(QStringLiteral("Bericht"));
    auto* hint = new QLabel(
        QStringLiteral("Die Zahlen werden je Quartal gezählt: der Bericht umfasst die ganzen "
                       "Quartale des Zeitraums."),
        this);
    hint->setWordWrap(true);
    auto* fields = new QFormLayout();
    fields->addRow(QStringLiteral("&Von:"), m_from);
    fields->addRow(QStringLiteral("&Bis:"), m_to);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("cmdOk"));
    buttons->addButton(QStringLiteral("&Abbrechen"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

ReportPeriod ReportPeriodDialog::period() const {
    return {ToDay(m_from->date()), ToDay(m_to->date())};
}

std::optional<ReportPeriod> ReportPeriodDialog::Ask(QWidget* parent, const ReportPeriod& proposed) {
    ReportPeriodDialog dialog(proposed, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.period();
}

}  // namespace stripstock
