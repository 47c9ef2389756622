// The tray icon: its symbol follows the playing state, and activating it opens the mini player
// near the icon. Only made where the desktop shows tray icons.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

namespace ZintraRadio {

class AppModel;

class ShellTray : public QObject {
    Q_OBJECT

public:
    // A click calls `mini` with the point near which the mini player opens; a double click
    // calls `main`.
    ShellTray(AppModel& model, std::function<void(QPoint)> mini, std::function<void()> main,
              QObject* parent = nullptr);

    // The symbol drawn white from the icon font; null when the font lacks it.
    static QIcon symbolIcon(const QString& symbol);

private:
    void follow(AppModel& model);

    QSystemTrayIcon icon_;
    QString shown_;
};

} // namespace ZintraRadio
