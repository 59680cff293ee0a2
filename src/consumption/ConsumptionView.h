#pragma once

#include <QWidget>

#include "consumption/ConsumptionTable.h"

class QTreeWidget;

namespace stripstock {

// The "Verbrauch" tab: the report list lv with the consumption figures.
class ConsumptionView : public QWidget {
    Q_OBJECT

  public:
    explicit ConsumptionView(QWidget* parent = nullptr);

    // Rebuilds the columns and rows from a fill.
    void Show(const ConsumptionTable& table);

  private:
    QTreeWidget* m_lv = nullptr;
};

}  // namespace stripstock
