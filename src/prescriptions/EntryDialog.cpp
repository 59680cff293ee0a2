#include "prescriptions/EntryDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"

namespace stripstock {

EntryDialog::EntryDialog(const QString& objectName, const QString& caption,
                         const QString& dateLabel, QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(Px(6000), Px(1695));

    auto* amountLabel = new QLabel(QStringLiteral("Menge:"), this);
    amountLabel->setObjectName(QStringLiteral("Label1"));
    amountLabel->setGeometry(TwipsRect(120, 165, 735, 255));
    m_txtAmount = new QLineEdit(this);
    m_txtAmount->setObjectName(QStringLiteral("txtAmount"));
    m_txtAmount->setGeometry(TwipsRect(900, 120, 855, 315));
    m_cbMeters = new QComboBox(this);
    m_cbMeters->setObjectName(QStringLiteral("cbMeters"));
    m_cbMeters->setGeometry(TwipsRect(1860, 120, 4020, 315));

    auto* dateCaption = new QLabel(dateLabel, this);
    dateCaption->setObjectName(QStringLiteral("Label2"));
    dateCaption->setGeometry(TwipsRect(120, 645, 3135, 255));
    m_txtDate = new QLineEdit(this);
    m_txtDate->setObjectName(QStringLiteral("txtDate"));
    m_txtDate->setGeometry(TwipsRect(3360, 600, 1455, 315));

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command1_0"));
    ok->setGeometry(TwipsRect(4545, 1200, 1335, 375));
    auto* cancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    cancel->setObjectName(QStringLiteral("Command1_1"));
    cancel->setGeometry(TwipsRect(3120, 1200, 1335, 375));
    // Enter confirms from the text fields; a focused "&Abbruch" takes Enter itself.
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(cancel, &QPushButton::clicked, this, [this] { Command1_Click(1); });

    setTabOrder(m_txtAmount, m_cbMeters);
    setTabOrder(m_cbMeters, m_txtDate);
    setTabOrder(m_txtDate, cancel);
    setTabOrder(cancel, ok);
    m_txtAmount->setFocus();
}

void EntryDialog::Command1_Click(int index) {
    if (index != 0) {
        reject();
        return;
    }
    EntryOutcome outcome;
    {
        BusyCursor busy;
        outcome = Confirm(ToCore(m_txtAmount->text()), ToCore(m_txtDate->text()),
                          m_cbMeters->currentIndex());
    }
    if (outcome.closed) {
        accept();
        return;
    }
    if (!outcome.message.empty()) {
        MessageBox::Plain(this, ToQt(outcome.message));
    }
    switch (outcome.focus) {
        case EntryFocus::Amount:
            m_txtAmount->setFocus();
            break;
        case EntryFocus::Date:
            m_txtDate->setFocus();
            break;
        case EntryFocus::None:
            break;
    }
}

}  // namespace stripstock
