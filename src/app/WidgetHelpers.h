#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QRect>
#include <QSizePolicy>
#include <QString>
#include <string>

namespace stripstock {

// The windows keep their designed layout: positions and sizes in twips, 15 twips a pixel.
constexpr int Px(int twips) { return twips / 15; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// A button of the designed size in a layout, which grows when its caption needs more room (a
// larger font or scale) instead of cutting it.
inline void SetDesignedButtonSize(QAbstractButton* button, int widthTwips, int heightTwips) {
    button->setMinimumSize(Px(widthTwips), Px(heightTwips));
    button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

// The core's texts are UTF-8.
inline QString ToQt(const std::string& text) { return QString::fromStdString(text); }
inline QString ToQt(const char* text) { return QString::fromUtf8(text); }
inline std::string ToCore(const QString& text) { return text.toStdString(); }

// The hourglass for as long as a fill runs.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace stripstock
