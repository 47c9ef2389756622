// The shader effects on OpenGL (llvmpipe under a private X display): the baked shader library
// is there, the bloom lights up around bright content, and the glass blurs what lies behind.
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "kit/ShaderLibrary.hpp"

#include <QTest>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class Effects : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL); }

    QImage render(const char* body) {
        QByteArray document = "import QtQuick\nimport ZintraRadio\n";
        document += body;
        QQuickItem* item = kit.create(document);
        EXPECT_NE(item, nullptr) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        kit.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
        // A shader effect is ready once its shaders are in; then a frame shows it.
        QQuickItem* effect = QmlKit::child(item, "bloomEffect");
        if (effect != nullptr) {
            EXPECT_TRUE(pumpUntil([&] { return effect->property("status").toInt() == 0; }, 10s)); // Compiled
        }
        pumpFor(300ms);
        return kit.window.grabWindow();
    }

    QmlKit kit;
};

} // namespace

TEST_F(Effects, TheShaderLibraryIsThereOnOpenGL) {
    EXPECT_TRUE(ShaderLibrary::isAvailable());
}

TEST_F(Effects, BloomLightsTheSurroundingsOfBrightContent) {
    const QImage picture = render(R"(
        Rectangle {
            width: 300; height: 200; color: "black"
            Rectangle { id: plain; x: 40; y: 80; width: 40; height: 40; color: "white" }
            Item {
                x: 160; y: 40; width: 120; height: 120
                Rectangle { id: bright; x: 40; y: 40; width: 40; height: 40; color: "white" }
                Bloom { objectName: "bloom"; anchors.fill: parent; source: bright; radius: 8; strength: 1 }
            }
        })");
    // Just outside the squares: dark beside the plain one, lit beside the bloomed one.
    EXPECT_LT(qGray(picture.pixel(40 + 40 + 6, 100)), 10);
    EXPECT_GT(qGray(picture.pixel(160 + 80 + 6, 100)), 20);
    EXPECT_TRUE(QmlKit::child(kit.window.contentItem(), "bloom")->property("working").toBool());
    EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Effects, GlassBlursWhatLiesBehindIt) {
    const QImage picture = render(R"(
        Item {
            width: 300; height: 200
            Rectangle {
                id: behind
                anchors.fill: parent
                color: "black"
                Repeater {
                    model: 15
                    Rectangle { x: index * 20; width: 10; height: 200; color: "white" }
                }
            }
            GlassBackdrop {
                objectName: "glass"
                x: 50; y: 50; width: 200; height: 100
                backdrop: behind
                tint: "transparent"
                blurRadius: 40
            }
        })");
    // Sharp stripes outside the glass, an even grey under it.
    EXPECT_GT(qGray(picture.pixel(5, 20)), 200);
    EXPECT_LT(qGray(picture.pixel(15, 20)), 30);
    const int left = qGray(picture.pixel(145, 100));
    const int right = qGray(picture.pixel(155, 100));
    EXPECT_LT(std::abs(left - right), 60);
    EXPECT_GT(left, 40);
    EXPECT_LT(left, 220);
    EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
}
