#pragma once

#include <QWidget>

#include "consumption/ConsumptionTable.h"

class QLabel;
class QTreeWidget;

namespace stripstock {

// The "Verbrauch" tab: the report list lv with the consumption figures, and a hint line below
// it for a first run.
class ConsumptionView : public QWidget {
    Q_OBJECT

  public:
    explicit ConsumptionView(QWidget* parent = nullptr);

    // Rebuilds the rows from a fill. The columns are made by the first fill and keep the widths
    // the user gives them.
    void Show(const ConsumptionTable& table);
    // An empty text hides the hint line.
    void ShowHint(const QString& hint);

  private:
    void MakeColumns();

    QTreeWidget* m_lv = nullptr;
    QLabel* m_lblHint = nullptr;
    QLabel* m_diaryFailure = nullptr;  // one line above the list when the diary was unreadable
};

}  // namespace stripstock
