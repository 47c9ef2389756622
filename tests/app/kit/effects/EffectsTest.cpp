// The shader effects on OpenGL (llvmpipe under a private X display): the baked shader library
// is there, the bloom lights up around bright content, the glass blurs what lies behind, and
// a card plate looks as the rectangle it stands for.
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

// A card plate over a striped ground against a Rectangle of the same look: the same pixels
// (but for rounding in the antialiased edges), at whole and at half pixels, with a radius
// larger than the plate allows, with a wide border and with none.
TEST_F(Effects, ACardPlateLooksAsTheRectangleWithItsLook) {
    struct Look {
        double x, width, height, radius, border;
    };
    for (const Look& look : {Look{20, 300, 52, 12, 1}, Look{20.5, 220, 60, 0, 0}, Look{30, 120, 40, 30, 3},
                             Look{40.5, 180, 70, 16, 0}}) {
        SCOPED_TRACE(testing::Message() << look.x << " " << look.width << "x" << look.height << " radius "
                                        << look.radius << " border " << look.border);
        const QString geometry =
            QStringLiteral("x: %1; width: %2; height: %3; radius: %4; color: Qt.rgba(1, 1, 1, 0.3)")
                .arg(look.x)
                .arg(look.width)
                .arg(look.height)
                .arg(look.radius);
        const QString border = QStringLiteral("Qt.rgba(0.2, 0.8, 1, 0.7)");
        const QByteArray body = QStringLiteral(R"(
            Rectangle {
                width: 400; height: 200; color: "#203040"
                Repeater { model: 20; Rectangle { x: index * 20; width: 10; height: 200; color: "#806040" } }
                Rectangle { y: 10; %1; border.width: %2; border.color: %3 }
                CardPlate { y: 110; %1; borderWidth: %2; borderColor: %3 }
            })")
                                    .arg(geometry)
                                    .arg(look.border)
                                    .arg(border)
                                    .toUtf8();
        const QImage picture = render(body.constData());
        int worst = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 400; ++x) {
                const QColor drawn = picture.pixelColor(x, 10 + y), plate = picture.pixelColor(x, 110 + y);
                worst = std::max({worst, std::abs(drawn.red() - plate.red()),
                                  std::abs(drawn.green() - plate.green()),
                                  std::abs(drawn.blue() - plate.blue())});
            }
        EXPECT_LE(worst, 24);
        // Inside, on the border and outside a corner, exactly as the rectangle.
        const int left = int(std::ceil(look.x)), middle = int(look.x + look.width / 2);
        for (const QPoint at : {QPoint(middle, int(look.height / 2)), QPoint(left, int(look.height / 2)),
                                QPoint(left, 0), QPoint(middle, 0)}) {
            const QColor drawn = picture.pixelColor(at.x(), 10 + at.y()),
                         plate = picture.pixelColor(at.x(), 110 + at.y());
            EXPECT_NEAR(drawn.red(), plate.red(), 4) << at.x() << "," << at.y();
            EXPECT_NEAR(drawn.green(), plate.green(), 4) << at.x() << "," << at.y();
            EXPECT_NEAR(drawn.blue(), plate.blue(), 4) << at.x() << "," << at.y();
        }
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        for (QQuickItem* shown : kit.window.contentItem()->childItems())
            shown->setVisible(false);
    }
}
