#include "shell/ShellWindows.hpp"

#include "shell/AppEntry.hpp"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <algorithm>
#include <cstdio>

namespace ZintraRadio {

void bringForward(QQuickWindow* window) {
    if (window == nullptr)
        return;
    window->show();
    window->raise();
    window->requestActivate();
}

QMetaObject::Connection quitWhenClosed(QWindow& main) {
    return QObject::connect(&main, &QWindow::visibleChanged, QCoreApplication::instance(), [](bool visible) {
        if (!visible)
            QCoreApplication::quit();
    });
}

ShellWindows::~ShellWindows() {
    for (QQuickWindow* window : {about_, mini_})
        if (window != nullptr)
            finishScene(*window);
    delete about_;
    delete mini_;
}

void ShellWindows::openAbout() {
    if (about_ == nullptr && (about_ = make("AboutWindow.qml")) != nullptr)
        QMetaObject::invokeMethod(about_, "centre");
    bringForward(about_);
}

void ShellWindows::openMini(QPoint place, bool fromTray) {
    if (mini_ == nullptr && (mini_ = make("MiniWindow.qml")) == nullptr)
        return;
    if (fromTray && mini_->isVisible()) {
        mini_->hide();
        return;
    }
    QScreen* screen = QGuiApplication::screenAt(place);
    const QRect room = (screen != nullptr ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    const int x = std::clamp(place.x() - mini_->width() / 2, room.left(),
                             std::max(room.left(), room.right() - mini_->width()));
    const int y =
        std::clamp(place.y() + 8, room.top(), std::max(room.top(), room.bottom() - mini_->height()));
    mini_->setPosition(x, y);
    bringForward(mini_);
}

QQuickWindow* ShellWindows::make(const char* file) {
    QQmlComponent component(&engine_,
                            QUrl(QStringLiteral("qrc:/qt/qml/ZintraRadio/shell/") + QLatin1String(file)));
    QObject* made = component.create();
    auto* window = qobject_cast<QQuickWindow*>(made);
    if (window == nullptr) {
        std::fprintf(stderr, "ZintraRadio: %s did not load: %s\n", file, qPrintable(component.errorString()));
        delete made;
    }
    return window;
}

} // namespace ZintraRadio
