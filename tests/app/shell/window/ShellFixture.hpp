// The main window of the real application, once per test program: a local radio stream with
// song titles, a radio library that lists it, and the process's one AppModel and UIState
// configured into the sandbox. It goes when the tests end.
#pragma once

#include "MainWindowKit.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <filesystem>
#include <string>

namespace ZintraRadio::testkit {

struct ShellFixture : MainWindowRun {
    ZazidEvoz::testkit::StreamServer radio;
    std::string streamURL;
    std::string hostileName = "<img src=file:///etc/passwd><b>bold</b>";
    std::filesystem::path support = ZazidEvoz::testkit::makeTemporaryFolder("support");

    ShellFixture();

    static ShellFixture& get() { return ProcessRun<ShellFixture>::get(); }
};

} // namespace ZintraRadio::testkit
