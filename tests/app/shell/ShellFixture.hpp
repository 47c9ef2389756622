// The main window of the real application, once per test program: a local radio stream with
// song titles, a radio library that lists it, and the process's one AppModel and UIState
// configured into the sandbox.
#pragma once

#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <filesystem>
#include <memory>
#include <string>

namespace ZintraRadio::testkit {

struct ShellFixture {
    ZazidEvoz::testkit::StreamServer radio;
    std::string streamURL;
    std::string hostileName = "<img src=file:///etc/passwd><b>bold</b>";
    std::filesystem::path support;
    std::unique_ptr<QQmlApplicationEngine> engine;
    QQuickWindow* window = nullptr;
    QStringList warnings;

    static ShellFixture& get();
    // The views first, then the models, while the application object still exists.
    static void release();

    QQuickItem* find(const char* name) const { return QmlKit::child(window->contentItem(), name); }
    // The window's picture, also kept as a test artefact under the build folder.
    QImage grab(const char* artefactName) const;
    static std::filesystem::path artefacts();
};

} // namespace ZintraRadio::testkit
