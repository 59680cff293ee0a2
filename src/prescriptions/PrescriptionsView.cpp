#include "prescriptions/PrescriptionsView.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include "app/WidgetHelpers.h"

namespace stripstock {

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kDefaultColumnWidthTwips = 1440;

}  // namespace

PrescriptionsView::PrescriptionsView(Context& ctx, const std::vector<ListEntry>& stripList,
                                     QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(stripList) {
    m_tvTeststrips = new QTreeWidget(this);
    m_tvTeststrips->setObjectName(QStringLiteral("tvTeststrips"));
    // Wide enough for a child node's usual strip name beside the tree's indentation.
    m_tvTeststrips->setGeometry(TwipsRect(120, 120, 2655, 3375));
    m_tvTeststrips->setHeaderHidden(true);
    m_tvTeststrips->setRootIsDecorated(true);

    m_lvPrescriptions = new QTreeWidget(this);
    m_lvPrescriptions->setObjectName(QStringLiteral("lvPrescriptions"));
    m_lvPrescriptions->setGeometry(TwipsRect(2880, 120, 4815, 3375));
    m_lvPrescriptions->setRootIsDecorated(false);
    m_lvPrescriptions->setItemsExpandable(false);
    m_lvPrescriptions->setAllColumnsShowFocus(true);
    // "Streifen" takes what "Datum" and "Menge" leave, so that strip names are not cut short.
    m_lvPrescriptions->header()->setStretchLastSection(true);
    // The columns are made once and kept by every later fill.
    QStringList titles;
    for (const std::string_view title : kPrescriptionColumns) {
        titles.append(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    }
    m_lvPrescriptions->setHeaderLabels(titles);
    for (int i = 0; i < titles.size(); ++i) {
        m_lvPrescriptions->setColumnWidth(i, Px(kDefaultColumnWidthTwips));
    }

    const struct {
        int index;
        const char* caption;
        int top;
        bool visible;
    } buttons[] = {
        {0, "&Neu...", 120, true},
        {1, "&Bearbeiten...", 600, false},
        {2, "&Löschen", 1080, false},
        {6, "&Fehlmessungen", 1680, false},
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        button->setGeometry(TwipsRect(7800, entry.top, 1455, 375));
        button->setVisible(entry.visible);
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { emit commandClicked(index); });
    }

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

void PrescriptionsView::ShowTree(const std::vector<TreeNode>& nodes,
                                 const std::vector<PrescriptionRow>& list) {
    const QSignalBlocker blocker(m_tvTeststrips);
    m_tvTeststrips->clear();
    QTreeWidgetItem* root = nullptr;
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
    }
    if (root != nullptr) {
        root->setExpanded(true);
        m_tvTeststrips->setCurrentItem(root);
    }
    ShowList(list);
}

void PrescriptionsView::ShowList(const std::vector<PrescriptionRow>& rows) {
    m_lvPrescriptions->clear();
    for (const PrescriptionRow& row : rows) {
        auto* item =
            new QTreeWidgetItem(QStringList{ToQt(row.date), ToQt(row.amount), ToQt(row.strip)});
        item->setData(0, kKeyRole, ToQt(row.key));
        item->setToolTip(2, item->text(2));
        m_lvPrescriptions->addTopLevelItem(item);
    }
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
