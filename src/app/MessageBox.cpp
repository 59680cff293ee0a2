#include "app/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/Startup.h"

namespace stripstock {

namespace {

struct TestHook {
    bool on = false;
    QList<MessageBox::Button> answers;
    QList<MessageBox::Record> records;
};

TestHook& Hook() {
    static TestHook hook;
    return hook;
}

QMessageBox::Icon ToQtIcon(MessageBox::Icon icon) {
    switch (icon) {
        case MessageBox::Icon::Information:
            return QMessageBox::Information;
        case MessageBox::Icon::Critical:
            return QMessageBox::Critical;
        case MessageBox::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole ToRole(MessageBox::Button button) {
    switch (button) {
        case MessageBox::Button::Yes:
            return QMessageBox::YesRole;
        case MessageBox::Button::No:
            return QMessageBox::NoRole;
        case MessageBox::Button::Ok:
            break;
    }
    return QMessageBox::AcceptRole;
}

}  // namespace

void MessageBox::Critical(QWidget* parent, const QString& text, const QString& title) {
    Show(parent, text, Icon::Critical, {Button::Ok}, title);
}

void MessageBox::Information(QWidget* parent, const QString& text, const QString& title) {
    Show(parent, text, Icon::Information, {Button::Ok}, title);
}

void MessageBox::Plain(QWidget* parent, const QString& text, const QString& title) {
    Show(parent, text, Icon::None, {Button::Ok}, title);
}

bool MessageBox::Question(QWidget* parent, const QString& text, const QString& title) {
    return Show(parent, text, Icon::None, {Button::Yes, Button::No}, title) == Button::Yes;
}

QString MessageBox::ButtonText(Button button) {
    switch (button) {
        case Button::Yes:
            return QStringLiteral("Ja");
        case Button::No:
            return QStringLiteral("Nein");
        case Button::Ok:
            break;
    }
    return QStringLiteral("OK");
}

QString MessageBox::ApplicationTitle() { return QString::fromUtf8(kMainCaption); }

void MessageBox::SetTestMode(bool on) {
    Hook() = TestHook{};
    Hook().on = on;
}

void MessageBox::SetNextAnswers(const QList<Button>& answers) {
    Hook().on = true;
    Hook().answers = answers;
}

QList<MessageBox::Record> MessageBox::TakeRecords() {
    QList<Record> records;
    records.swap(Hook().records);
    return records;
}

MessageBox::Button MessageBox::Show(QWidget* parent, const QString& text, Icon icon,
                                    const QList<Button>& buttons, const QString& title) {
    const QString shownTitle = title.isEmpty() ? ApplicationTitle() : title;
    // The last button is the one Escape gives: OK, or "Nein" for a question.
    const Button escapeButton = buttons.last();

    TestHook& hook = Hook();
    if (hook.on) {
        Button answer = escapeButton;
        if (!hook.answers.isEmpty()) {
            const Button next = hook.answers.takeFirst();
            if (buttons.contains(next)) {
                answer = next;
            }
        }
        hook.records.append(Record{shownTitle, text, icon, buttons, answer});
        return answer;
    }

    QMessageBox box(parent);
    box.setWindowTitle(shownTitle);
    box.setText(text);
    box.setIcon(ToQtIcon(icon));
    QList<QPushButton*> pushButtons;
    for (const Button button : buttons) {
        pushButtons.append(box.addButton(ButtonText(button), ToRole(button)));
    }
    box.setDefaultButton(pushButtons.first());
    box.setEscapeButton(pushButtons.last());
    box.exec();
    const qsizetype clicked = pushButtons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return clicked >= 0 ? buttons.at(clicked) : escapeButton;
}

}  // namespace stripstock
