// The main of the application's test programs: a sandbox as for every test, and one Qt
// application object for the whole run. Without a display setting the offscreen platform is
// used (test discovery runs the program at build time with no test environment). Every Qt or
// QML warning fails the test it came in.
#include "MessageGate.hpp"
#include "support/Sandbox.hpp"

#include <QApplication>
#ifdef ZINTRARADIO_HAS_VIEWS
#include <QtQml/qqmlextensionplugin.h>
Q_IMPORT_QML_PLUGIN(ZintraRadioPlugin)
#endif
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <signal.h>

int main(int argc, char** argv) {
    ::signal(SIGPIPE, SIG_IGN);
    ::testing::InitGoogleTest(&argc, argv);
    ZintraRadio::testkit::MessageGate::instance().install();
    ZazidEvoz::testkit::initialiseSandbox();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int result = 0;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    ZazidEvoz::testkit::removeSandbox();
    const QStringList strays = ZintraRadio::testkit::MessageGate::instance().strays();
    for (const QString& message : strays)
        std::fprintf(stderr, "Qt warning outside a test: %s\n", qPrintable(message));
    return strays.isEmpty() ? result : 1;
}
