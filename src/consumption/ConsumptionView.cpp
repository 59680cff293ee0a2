#include "consumption/ConsumptionView.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/WidgetHelpers.h"

namespace stripstock {

namespace {

// "Verbrauch" and "Bestand" hold numbers ("n/a", "max.25" and "-" among them).
bool IsNumberColumn(int column) { return column == 1 || column == 2; }

}  // namespace

ConsumptionView::ConsumptionView(QWidget* parent) : QWidget(parent) {
    m_lv = new QTreeWidget(this);
    m_lv->setObjectName(QStringLiteral("lv"));
    m_lv->setRootIsDecorated(false);
    m_lv->setItemsExpandable(false);
    m_lv->setAllColumnsShowFocus(true);

    m_lblHint = new QLabel(this);
    m_lblHint->setObjectName(QStringLiteral("lblHint"));
    m_lblHint->setWordWrap(true);
    m_lblHint->hide();

    m_diaryFailure = new QLabel(this);
    m_diaryFailure->setObjectName(QStringLiteral("lblDiaryFailure"));
    m_diaryFailure->hide();

    // The table fills the tab and grows with the window.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->addWidget(m_diaryFailure);
    layout->addWidget(m_lv, 1);
    layout->addWidget(m_lblHint);
}

void ConsumptionView::MakeColumns() {
    QStringList headers;
    for (const ConsumptionColumn& column : kConsumptionColumns) {
        headers.append(ToQt(column.header));
    }
    m_lv->setHeaderLabels(headers);
    QHeaderView* header = m_lv->header();
    header->setStretchLastSection(false);
    for (int i = 0; i < static_cast<int>(kConsumptionColumns.size()); ++i) {
        m_lv->setColumnWidth(i, Px(kConsumptionColumns[static_cast<std::size_t>(i)].widthTwips));
        if (IsNumberColumn(i)) {
            m_lv->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    // The strip names take whatever width the figures leave.
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

void ConsumptionView::Show(const ConsumptionTable& table) {
    m_diaryFailure->setText(ToQt(table.diaryFailure));
    m_diaryFailure->setVisible(!table.diaryFailure.empty());
    m_lv->clear();
    if (m_lv->headerItem()->text(0) != ToQt(kConsumptionColumns[0].header)) {
        MakeColumns();
    }
    for (const ConsumptionRow& row : table.rows) {
        auto* item = new QTreeWidgetItem(QStringList{ToQt(row.label), ToQt(row.used),
                                                     ToQt(row.stock), ToQt(row.lastPrescription)});
        for (int column = 0; column < item->columnCount(); ++column) {
            if (IsNumberColumn(column)) {
                item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
            }
        }
        // A name longer than the window is wide shows in full here.
        item->setToolTip(0, item->text(0));
        m_lv->addTopLevelItem(item);
    }
}

void ConsumptionView::ShowHint(const QString& hint) {
    m_lblHint->setText(hint);
    m_lblHint->setVisible(!hint.isEmpty());
}

}  // namespace stripstock
