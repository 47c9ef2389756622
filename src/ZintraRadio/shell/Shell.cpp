#include "shell/Shell.hpp"

#include "ZazidEvoz/core/ToolLocator.hpp"
#include "kit/ShownText.hpp"
#include "shell/MiniRules.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellRules.hpp"
#include "state/AppRecords.hpp"
#include "state/AppRuntime.hpp"
#include "state/TestHooks.hpp"
#include "system/Clipboard.hpp"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSystemTrayIcon>

namespace ZintraRadio {

Shell* Shell::create(QQmlEngine*, QJSEngine*) {
    static Shell* shell = new Shell();
    QQmlEngine::setObjectOwnership(shell, QQmlEngine::CppOwnership);
    return shell;
}

bool Shell::fakeMissingTools() const {
    return TestHooks::isSet("FAKE_MISSING_TOOLS");
}

QString Shell::installHint() const {
    return QString::fromUtf8(ZazidEvoz::ToolLocator::installHint.data(),
                             static_cast<qsizetype>(ZazidEvoz::ToolLocator::installHint.size()));
}

QString Shell::missingTools(bool hasFFmpeg, bool hasYtDlp) const {
    return QString::fromStdString(ZintraRadio::missingTools(hasFFmpeg, hasYtDlp, fakeMissingTools()));
}

int Shell::activeDownloads(ListModelBase* downloads) const {
    if (downloads == nullptr)
        return 0;
    std::vector<std::string> phases;
    const auto roles = downloads->roleNames();
    const int jobRole = roles.key(QByteArrayLiteral("job"), -1);
    for (int row = 0; row < downloads->rowCount(); ++row) {
        auto* job =
            qobject_cast<DownloadJob*>(downloads->data(downloads->index(row), jobRole).value<QObject*>());
        if (job != nullptr)
            phases.push_back(job->phaseName().toStdString());
    }
    return activeDownloadCount(phases);
}

QString Shell::displayedError(const QString& message) const {
    return ZintraRadio::displayedError(message, [](const char* key) { return qtTrId(key); });
}

QString Shell::toastText(const QString& message, const QFont& font, qreal width) const {
    return middleCut(displayedError(message), font, width, 2);
}

bool Shell::revealFile(const QString& path) const {
    if (path.isEmpty())
        return false;
    return AppRuntime::model().revealInFileManager(std::filesystem::path(path.toStdString()));
}

QString Shell::shortcutText(int number) const {
    if (number < 0 || number > 9)
        return {};
    return QKeySequence(QKeyCombination(Qt::ControlModifier, static_cast<Qt::Key>(Qt::Key_0 + number)))
        .toString(QKeySequence::NativeText);
}

void Shell::copy(const QString& text) const {
    Clipboard::setText(text);
    AppRuntime::model().show(Toast::Style::info, localizedText("toast.copied"));
}

void Shell::run(const QString& name, int index) const {
    if (auto command = commandFromName(name.toStdString()))
        runCommand({*command, index}, AppRuntime::model(), AppRuntime::ui());
}

QString Shell::shortcut(const QString& name, int index) const {
    if (auto command = commandFromName(name.toStdString()))
        return shortcutFor({*command, index}).toString(QKeySequence::NativeText);
    return {};
}

bool Shell::trayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Shell::leaveMenuBar(QQuickItem* bar) const {
    if (bar == nullptr)
        return;
    // The bar's own keys: Up closes the current menu and ends the open-on-hover mode, Escape
    // then lets go of the title.
    for (const int key : {Qt::Key_Up, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &press);
    }
}

void Shell::showMainWindow() const {
    AppRuntime::openMainWindow();
}

QString Shell::miniSubtitle(const QVariant& nowPlaying, const QString& state, const QVariant& formatInfo,
                            const QString& stoppedText) const {
    auto text = [](const QVariant& value) {
        return value.isValid() && !value.isNull() ? std::optional<std::string>(value.toString().toStdString())
                                                  : std::nullopt;
    };
    return QString::fromStdString(ZintraRadio::miniSubtitle(text(nowPlaying), state.toStdString(),
                                                            text(formatInfo), stoppedText.toStdString()));
}

} // namespace ZintraRadio
