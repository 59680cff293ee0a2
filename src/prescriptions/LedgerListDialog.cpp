#include "prescriptions/LedgerListDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "prescriptions/FaultyMeasurementDialog.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/NewPrescriptionDialog.h"

namespace stripstock {

LedgerListDialog::LedgerListDialog(Context& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmList"));
    setWindowTitle(QStringLiteral("Verordnungen"));
    setModal(true);
    setFixedSize(Px(7575), Px(4155));

    auto* heading = new QLabel(QStringLiteral("Teststreifenverordnungen"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setGeometry(TwipsRect(120, 120, 5415, 255));

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setGeometry(TwipsRect(120, 420, 5415, 3615));
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);

    // The column from the top: new, faulty measurements, delete, close; wide enough for
    // "&Fehlmessungen...".
    const struct {
        int index;
        const char* caption;
        int top;
    } buttons[] = {
        {0, "&Neu", 420},
        {3, "&Fehlmessungen...", 900},
        {1, "&Löschen", 1380},
        {2, "&Schliessen", 1860},
    };
    QWidget* previous = m_list1;
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        button->setGeometry(TwipsRect(5640, entry.top, 1815, 375));
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
        setTabOrder(previous, button);
        previous = button;
    }

    FillEntryList();
}

void LedgerListDialog::FillEntryList() {
    BusyCursor busy;
    m_entries = stripstock::FillEntryList(m_ctx);
    m_list1->clear();
    for (const ListEntry& entry : m_entries) {
        auto* item = new QListWidgetItem(ToQt(entry.text), m_list1);
        item->setData(Qt::UserRole, entry.itemData);
    }
}

void LedgerListDialog::Command1_Click(int index) {
    switch (index) {
        case 0: {
            NewPrescriptionDialog dialog(m_ctx, this);
            dialog.exec();
            FillEntryList();
            break;
        }
        case 1:
            DeleteSelected();
            break;
        case 2:
            accept();
            break;
        case 3: {
            FaultyMeasurementDialog dialog(m_ctx, this);
            dialog.exec();
            FillEntryList();
            break;
        }
        default:
            break;
    }
}

void LedgerListDialog::DeleteSelected() {
    if (!MessageBox::Question(this, ToQt(kDeleteEntryQuestion))) {
        return;
    }
    const QList<QListWidgetItem*> selected = m_list1->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_list1->row(selected.first());
    if (const std::optional<std::int32_t> id = SelectedEntryId(m_entries, row)) {
        BusyCursor busy;
        DeleteEntry(m_ctx, *id);
    }
    FillEntryList();
}

}  // namespace stripstock
