#pragma once

#include <QDialog>
#include <string>

#include "host/Context.h"
#include "prescriptions/EntryOutcome.h"

class QComboBox;
class QLineEdit;

namespace stripstock {

// The layout and "&OK" handling that frmNew and frmErrors share: the amount field with a list
// in the first row, the date in the second, "&Abbruch" left of "&OK" at the bottom right.
// The checks and the write are one core call; the dialog shows its outcome.
class EntryDialog : public QDialog {
    Q_OBJECT

  public:
    // Index 0 is "&OK", every other index closes the dialog.
    void Command1_Click(int index);

  protected:
    EntryDialog(const QString& objectName, const QString& caption, const QString& dateLabel,
                QWidget* parent);

    virtual EntryOutcome Confirm(const std::string& amountText, const std::string& dateText,
                                 int selected) = 0;

    QComboBox* cbMeters() const { return m_cbMeters; }

  private:
    QLineEdit* m_txtAmount = nullptr;
    QComboBox* m_cbMeters = nullptr;
    QLineEdit* m_txtDate = nullptr;
};

}  // namespace stripstock
