#include "shell/ShellTray.hpp"

#include "kit/IconRegistry.hpp"
#include "state/AppModel.hpp"

#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace ZintraRadio {

ShellTray::ShellTray(AppModel& model, std::function<void(QPoint)> mini, std::function<void()> main,
                     QObject* parent)
    : QObject(parent) {
    follow(model);
    connect(&model, &AppModel::stateChanged, this, [this, &model] { follow(model); });
    //: The tray icon's tooltip
    icon_.setToolTip(qtTrId("app.name"));
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this, mini = std::move(mini), main = std::move(main)](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    main();
                } else if (reason == QSystemTrayIcon::Trigger) {
                    // Under the icon when the desktop says where it is, else at the pointer.
                    const QRect place = icon_.geometry();
                    mini(place.isValid() ? place.bottomLeft() : QCursor::pos());
                }
            });
    icon_.show();
}

QIcon ShellTray::symbolIcon(const QString& symbol) {
    Icons* icons = Icons::create(nullptr, nullptr);
    const QString glyph = icons->glyph(symbol);
    if (glyph.isEmpty())
        return {};
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(icons->family(symbol));
    font.setPixelSize(54);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    painter.end();
    return QIcon(pixmap);
}

void ShellTray::follow(AppModel& model) {
    const QString symbol = model.stateName() == QLatin1String("playing")
                               ? QStringLiteral("dot.radiowaves.left.and.right")
                               : QStringLiteral("tornado");
    if (symbol == shown_)
        return;
    shown_ = symbol;
    // Without the icon font the application's own icon stands in.
    const QIcon drawn = symbolIcon(symbol);
    icon_.setIcon(drawn.isNull() ? QGuiApplication::windowIcon() : drawn);
}

} // namespace ZintraRadio
