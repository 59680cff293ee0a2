#include "strips/StripPropertiesDialog.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "strips/StripProperties.h"

namespace stripstock {

namespace {

QLineEdit* AddTextBox(QWidget* parent, const char* name, const QRect& rect) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setGeometry(rect);
    edit->setMaxLength(kStripTextMaxLength);
    return edit;
}

}  // namespace

StripPropertiesDialog::StripPropertiesDialog(Context& ctx, std::int32_t lStripID, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_lStripID(lStripID) {
    setObjectName(QStringLiteral("frmTestStripProperties"));
    setWindowTitle(QStringLiteral("Teststreifen"));
    setModal(true);

    // The name field shows a 30-character strip name; whatever it needs beyond its designed
    // width widens the dialog, and the fields and buttons right of it move along.
    const QFontMetrics metrics = fontMetrics();
    const int nameText =
        std::max(metrics.horizontalAdvance(QStringLiteral("Accu-Chek Compact Teststreifen")),
                 30 * metrics.averageCharWidth());
    const int extra = std::max(0, nameText + Px(180) - Px(2175));
    const auto at = [extra](int left, int top, int width, int height, bool moves, bool grows) {
        QRect rect = TwipsRect(left, top, width, height);
        if (moves) rect.translate(extra, 0);
        if (grows) rect.setWidth(rect.width() + extra);
        return rect;
    };
    setFixedSize(Px(6090) + extra, Px(3090));

    const struct {
        const char* text;
        QRect rect;
    } labels[] = {
        {"Bezeichnung", at(120, 120, 1215, 255, false, false)},
        {"Hersteller", at(2520, 120, 1215, 255, true, false)},
        {"PZN", at(4560, 120, 1215, 255, true, false)},
        // As wide as the list below it, so that the whole caption shows.
        {"Geeignet für folgende Messgeräte:", at(120, 960, 5775, 255, false, true)},
    };
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(ToQt(labels[i].text), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setGeometry(labels[i].rect);
    }

    m_txtName = AddTextBox(this, "txtName", at(120, 360, 2175, 285, false, true));
    m_txtManufacturer = AddTextBox(this, "txtManufacturer", at(2520, 360, 1815, 285, true, false));
    m_txtPZN = AddTextBox(this, "txtPZN", at(4560, 360, 975, 285, true, false));

    m_lbMeters = new QListWidget(this);
    m_lbMeters->setObjectName(QStringLiteral("lbMeters"));
    m_lbMeters->setGeometry(at(120, 1200, 5775, 1185, false, true));
    m_lbMeters->setSelectionMode(QAbstractItemView::MultiSelection);

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("cmd_0"));
    ok->setGeometry(at(4560, 2520, 1335, 375, true, false));
    auto* cancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    cancel->setObjectName(QStringLiteral("cmd_1"));
    cancel->setGeometry(at(3120, 2520, 1335, 375, true, false));
    // Enter confirms from the text fields; a focused "&Abbruch" takes Enter itself.
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { cmd_Click(0); });
    connect(cancel, &QPushButton::clicked, this, [this] { cmd_Click(1); });

    setTabOrder(m_txtName, m_txtManufacturer);
    setTabOrder(m_txtManufacturer, m_txtPZN);
    setTabOrder(m_txtPZN, m_lbMeters);
    setTabOrder(m_lbMeters, ok);
    setTabOrder(ok, cancel);

    Load();
}

void StripPropertiesDialog::cmd_Click(int index) {
    if (index == 0) {
        Save();
    } else {
        reject();
    }
}

void StripPropertiesDialog::Load() {
    BusyCursor busy;
    m_meters = LoadMeterList(m_ctx);
    m_lbMeters->clear();
    for (const ListEntry& meter : m_meters) {
        auto* item = new QListWidgetItem(ToQt(meter.text), m_lbMeters);
        item->setData(Qt::UserRole, meter.itemData);
    }
    const StripForm form = LoadStrip(m_ctx, m_lStripID, m_meters);
    m_txtName->setText(ToQt(form.name));
    m_txtManufacturer->setText(ToQt(form.manufacturer));
    m_txtPZN->setText(ToQt(form.pzn));
    // Show each text from its start, not scrolled to the cursor at its end.
    for (QLineEdit* edit : {m_txtName, m_txtManufacturer, m_txtPZN}) {
        edit->setCursorPosition(0);
    }
    for (int i = 0; i < m_lbMeters->count(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        m_lbMeters->item(i)->setSelected(at < form.selected.size() && form.selected[at]);
    }
}

void StripPropertiesDialog::Save() {
    std::vector<bool> selected;
    for (int i = 0; i < m_lbMeters->count(); ++i) {
        selected.push_back(m_lbMeters->item(i)->isSelected());
    }
    SaveOutcome outcome;
    {
        BusyCursor busy;
        outcome = SaveStrip(m_ctx, m_lStripID, ToCore(m_txtName->text()),
                            ToCore(m_txtManufacturer->text()), ToCore(m_txtPZN->text()), m_meters,
                            selected);
    }
    if (!outcome.saved) {
        MessageBox::Plain(this, ToQt(outcome.message));
        return;
    }
    accept();
}

}  // namespace stripstock
