#include "prescriptions/PrescriptionsView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "prescriptions/LedgerList.h"

namespace stripstock {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kAmountColumn = 1;

}  // namespace

PrescriptionsView::PrescriptionsView(Context& ctx, const std::vector<ListEntry>& stripList,
                                     QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(stripList) {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(Px(105));

    m_tvTeststrips = new QTreeWidget(splitter);
    m_tvTeststrips->setObjectName(QStringLiteral("tvTeststrips"));
    m_tvTeststrips->setHeaderHidden(true);
    m_tvTeststrips->setRootIsDecorated(true);
    // A narrow indentation leaves the strip names more room.
    m_tvTeststrips->setIndentation(m_tvTeststrips->fontMetrics().averageCharWidth() * 2);

    m_lvPrescriptions = new QTreeWidget(splitter);
    m_lvPrescriptions->setObjectName(QStringLiteral("lvPrescriptions"));
    m_lvPrescriptions->setRootIsDecorated(false);
    m_lvPrescriptions->setItemsExpandable(false);
    m_lvPrescriptions->setAllColumnsShowFocus(true);
    // "Streifen" takes what "Datum" and "Menge" leave, so that strip names are not cut short.
    m_lvPrescriptions->header()->setStretchLastSection(true);
    // The columns are made once and kept by every later fill, with the widths the user gives
    // them. Date and amount start as wide as their contents need.
    QStringList titles;
    for (const std::string_view title : kPrescriptionColumns) {
        titles.append(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    }
    m_lvPrescriptions->setHeaderLabels(titles);
    m_lvPrescriptions->headerItem()->setTextAlignment(kAmountColumn,
                                                      Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics metrics = m_lvPrescriptions->fontMetrics();
    const QString widest[] = {QStringLiteral("00.00.0000"), QStringLiteral("00000")};
    const int padding = 2 * metrics.averageCharWidth();
    for (int i = 0; i < 2; ++i) {
        m_lvPrescriptions->setColumnWidth(i, std::max(metrics.horizontalAdvance(titles[i]),
                                                      metrics.horizontalAdvance(widest[i])) +
                                                 padding);
    }

    // The designed widths (tree 2655, list 4815) share out what the window gains.
    splitter->addWidget(m_tvTeststrips);
    splitter->addWidget(m_lvPrescriptions);
    splitter->setStretchFactor(0, 2655);
    splitter->setStretchFactor(1, 4815);
    splitter->setSizes({Px(2655), Px(4815)});

    auto* buttonColumn = new QVBoxLayout();
    buttonColumn->setSpacing(Px(105));
    const struct {
        int index;
        const char* caption;
        int gapAbove;
    } buttons[] = {
        {0, "&Neu...", 0},
        {1, "&Bearbeiten...", 0},
        {2, "&Löschen", 0},
        {6, "&Fehlmessungen", 120},
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        SetDesignedButtonSize(button, 1455, 375);
        buttonColumn->addSpacing(Px(entry.gapAbove));
        buttonColumn->addWidget(button);
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { emit commandClicked(index); });
    }
    buttonColumn->addStretch(1);
    m_buttonColumn = buttonColumn;

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->setSpacing(Px(105));
    layout->addWidget(splitter, 1);
    layout->addLayout(buttonColumn);

    // A click rebuilds the list even on the node already selected; the keyboard moves the
    // selection without a click.
    connect(m_tvTeststrips, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { NodeClick(node); });
    connect(m_tvTeststrips, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        if (node != nullptr && QApplication::mouseButtons() == Qt::NoButton &&
            m_tvTeststrips->hasFocus()) {
            NodeClick(node);
        }
    });
}

void PrescriptionsView::ShowTree(const std::vector<TreeNode>& nodes, const std::string& selectedKey,
                                 const std::vector<PrescriptionRow>& list) {
    const QSignalBlocker blocker(m_tvTeststrips);
    m_tvTeststrips->clear();
    QTreeWidgetItem* root = nullptr;
    QTreeWidgetItem* selected = nullptr;
    for (const TreeNode& node : nodes) {
        auto* item = new QTreeWidgetItem(QStringList{ToQt(node.text)});
        item->setData(0, kKeyRole, ToQt(node.key));
        item->setToolTip(0, item->text(0));
        if (root == nullptr) {
            m_tvTeststrips->addTopLevelItem(item);
            root = item;
        } else {
            root->addChild(item);
        }
        if (node.key == selectedKey) {
            selected = item;
        }
    }
    if (root != nullptr) {
        root->setExpanded(true);
        m_tvTeststrips->setCurrentItem(selected != nullptr ? selected : root);
    }
    ShowList(list);
}

void PrescriptionsView::ShowList(const std::vector<PrescriptionRow>& rows) {
    const QString selectedKey = SelectedRowKey();
    m_lvPrescriptions->clear();
    for (const PrescriptionRow& row : rows) {
        auto* item =
            new QTreeWidgetItem(QStringList{ToQt(row.date), ToQt(row.amount), ToQt(row.strip)});
        item->setData(0, kKeyRole, ToQt(row.key));
        item->setTextAlignment(kAmountColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(2, item->text(2));
        m_lvPrescriptions->addTopLevelItem(item);
        if (!selectedKey.isEmpty() && item->data(0, kKeyRole).toString() == selectedKey) {
            m_lvPrescriptions->setCurrentItem(item);
        }
    }
}

std::string PrescriptionsView::SelectedNodeKey() const {
    const QTreeWidgetItem* node = m_tvTeststrips->currentItem();
    return node != nullptr ? ToCore(node->data(0, kKeyRole).toString()) : kAllNodeKey;
}

QString PrescriptionsView::SelectedRowKey() const {
    const QList<QTreeWidgetItem*> selected = m_lvPrescriptions->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(0, kKeyRole).toString();
}

bool PrescriptionsView::DeleteSelectedPrescription() {
    const std::optional<std::int32_t> id = LedgerIdFromRowKey(ToCore(SelectedRowKey()));
    if (!id || !MessageBox::Question(this, ToQt(kDeleteEntryQuestion))) {
        return false;
    }
    BusyCursor busy;
    DeleteEntry(m_ctx, *id);
    return true;
}

void PrescriptionsView::NodeClick(QTreeWidgetItem* node) {
    if (node == nullptr) {
        return;
    }
    BusyCursor busy;
    const std::string key = ToCore(node->data(0, kKeyRole).toString());
    ShowList(FillPrescriptionList(m_ctx, m_stripList, TypeFromNodeKey(key)));
}

}  // namespace stripstock
