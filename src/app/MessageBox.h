#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace stripstock {

// Every message box of the program goes through here: the German button texts and the
// application title are the same whatever the locale, and tests can answer a box without
// showing it and read what it would have shown.
class MessageBox {
  public:
    enum class Icon { None, Information, Critical };
    enum class Button { Ok, Yes, No };

    // What a box showed (or, in test mode, would have shown) and how it was answered.
    struct Record {
        QString title;
        QString text;
        Icon icon = Icon::None;
        QList<Button> buttons;
        Button answer = Button::Ok;
    };

    // An empty title means the application title.
    static void Critical(QWidget* parent, const QString& text, const QString& title = {});
    static void Information(QWidget* parent, const QString& text, const QString& title = {});
    // An OK box without an icon, as the input checks use it.
    static void Plain(QWidget* parent, const QString& text, const QString& title = {});
    // "Ja" / "Nein" without an icon; true only for "Ja".
    static bool Question(QWidget* parent, const QString& text, const QString& title = {});

    static QString ButtonText(Button button);
    static QString ApplicationTitle();

    // Test hook. While test mode is on no box is shown: each box takes the next queued
    // answer (when it offers that button, else its escape button: OK or "Nein") and is
    // recorded.
    static void SetTestMode(bool on);
    static void SetNextAnswers(const QList<Button>& answers);
    static QList<Record> TakeRecords();

  private:
    static Button Show(QWidget* parent, const QString& text, Icon icon,
                       const QList<Button>& buttons, const QString& title);
};

}  // namespace stripstock
