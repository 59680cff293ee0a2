#include "consumption/ConsumptionView.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "app/WidgetHelpers.h"

namespace stripstock {

ConsumptionView::ConsumptionView(QWidget* parent) : QWidget(parent) {
    m_lv = new QTreeWidget(this);
    m_lv->setObjectName(QStringLiteral("lv"));
    m_lv->setGeometry(TwipsRect(120, 120, 9255, 3375));
    m_lv->setRootIsDecorated(false);
    m_lv->setItemsExpandable(false);
    m_lv->setAllColumnsShowFocus(true);
    m_lv->header()->setStretchLastSection(false);
}

void ConsumptionView::Show(const ConsumptionTable& table) {
    m_lv->clear();
    QStringList headers;
    for (const ConsumptionColumn& column : kConsumptionColumns) {
        headers.append(ToQt(column.header));
    }
    m_lv->setHeaderLabels(headers);
    for (int i = 0; i < static_cast<int>(kConsumptionColumns.size()); ++i) {
        m_lv->setColumnWidth(i, Px(kConsumptionColumns[static_cast<std::size_t>(i)].widthTwips));
    }
    for (const ConsumptionRow& row : table.rows) {
        auto* item = new QTreeWidgetItem(QStringList{ToQt(row.label), ToQt(row.used),
                                                     ToQt(row.stock), ToQt(row.lastPrescription)});
        // The label column keeps its designed width; a long strip name shows in full here.
        item->setToolTip(0, item->text(0));
        m_lv->addTopLevelItem(item);
    }
}

}  // namespace stripstock
