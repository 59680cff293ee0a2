#pragma once

#include <QApplication>
#include <QRect>
#include <QString>
#include <string>

namespace stripstock {

// The windows keep their designed layout: positions and sizes in twips, 15 twips a pixel.
constexpr int Px(int twips) { return twips / 15; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
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
