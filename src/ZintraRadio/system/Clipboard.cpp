#include "system/Clipboard.hpp"

#include <QClipboard>
#include <QGuiApplication>

namespace ZintraRadio::Clipboard {

namespace {

QClipboard* clipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    return QGuiApplication::clipboard();
}

} // namespace

bool setText(const QString& text) {
    auto* board = clipboard();
    if (board == nullptr)
        return false;
    board->clear();
    board->setText(text);
    return true;
}

QString text() {
    auto* board = clipboard();
    return board == nullptr ? QString() : board->text();
}

} // namespace ZintraRadio::Clipboard
