#include "strips/StripDefinitionsView.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainButtons.h"
#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"
#include "strips/StripPropertiesDialog.h"

namespace stripstock {

StripDefinitionsView::StripDefinitionsView(Context& ctx, std::vector<ListEntry>& stripList,
                                           QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(stripList) {
    m_lbTestStripdefs = new QListWidget(this);
    m_lbTestStripdefs->setObjectName(QStringLiteral("lbTestStripdefs"));
    m_lbTestStripdefs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lbTestStripdefs->setSortingEnabled(false);

    // The list grows with the window; the buttons keep to its right.
    auto* buttonColumn = new QVBoxLayout();
    buttonColumn->setSpacing(Px(105));
    const struct {
        int index;
        const char* caption;
    } buttons[] = {{3, "&Neu..."}, {4, "&Bearbeiten..."}, {5, "&Löschen"}};
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        SetDesignedButtonSize(button, 1455, 375);
        buttonColumn->addWidget(button);
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { emit commandClicked(index); });
    }
    buttonColumn->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->setSpacing(Px(225));
    layout->addWidget(m_lbTestStripdefs, 1);
    layout->addLayout(buttonColumn);
    // A double-click is the same as "&Bearbeiten...".
    connect(m_lbTestStripdefs, &QListWidget::itemDoubleClicked, this,
            [this] { emit commandClicked(4); });
}

void StripDefinitionsView::ShowStripList(bool keepSelection) {
    const QListWidgetItem* before = m_lbTestStripdefs->currentItem();
    const QVariant selectedId =
        keepSelection && before != nullptr ? before->data(Qt::UserRole) : QVariant();
    m_lbTestStripdefs->clear();
    int selectRow = 0;
    for (const ListEntry& entry : m_stripList) {
        auto* item = new QListWidgetItem(ToQt(entry.text), m_lbTestStripdefs);
        item->setData(Qt::UserRole, entry.itemData);
        if (selectedId.isValid() && selectedId.toInt() == entry.itemData) {
            selectRow = m_lbTestStripdefs->count() - 1;
        }
    }
    if (m_lbTestStripdefs->count() > 0) {
        m_lbTestStripdefs->setCurrentRow(selectRow);
    }
}

int StripDefinitionsView::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_lbTestStripdefs->selectedItems();
    return selected.isEmpty() ? -1 : m_lbTestStripdefs->row(selected.first());
}

bool StripDefinitionsView::NewDefinition() {
    StripPropertiesDialog dialog(m_ctx, 0);
    dialog.exec();
    // Reloaded whether the dialog saved or not, so the selection returns to the top.
    return true;
}

bool StripDefinitionsView::EditDefinition() {
    const std::int32_t id = EditTargetId(m_stripList, SelectedRow());
    if (id < 1) {
        return false;
    }
    StripPropertiesDialog dialog(m_ctx, id);
    // The dialog accepts only when it saved.
    return dialog.exec() == QDialog::Accepted;
}

bool StripDefinitionsView::DeleteDefinition() {
    const std::optional<std::string> question = DeleteStripQuestion(m_stripList, SelectedRow());
    if (!question || !MessageBox::Question(this, ToQt(*question))) {
        return false;
    }
    BusyCursor busy;
    DeleteStripDefinition(m_ctx, SelectedStripId(m_stripList, SelectedRow()));
    return true;
}

}  // namespace stripstock
