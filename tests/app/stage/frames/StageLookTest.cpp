// Every mode drawn from a fixed feed on OpenGL (llvmpipe under Xvfb), saved as artefacts.
#include "StageScene.hpp"
#include "stage/StageModes.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

TEST(StageLook, EveryModeDrawsAStableNonConstantPicture) {
    auto feed = fixedFeed();
    for (const StageMode& mode : stageModes()) {
        const QString name = QString::fromUtf8(mode.raw().data(), qsizetype(mode.raw().size()));
        SCOPED_TRACE(name.toStdString());
        StageScene scene;
        scene.load("ModeRenderer { mode: \"" + name.toUtf8() +
                       "\"; feed: theFeed; property QtObject theFeed }",
                   {{"theFeed", QVariant::fromValue<QObject*>(feed.get())}});
        const QImage first = scene.grab();
        first.save(
            QString::fromStdString((artefactFolder() / (mode.raw().data() + std::string(".png"))).string()));
        EXPECT_GT(distinctColours(first), 50);
        EXPECT_EQ(scene.grab(), first) << "a second frame of the same feed draws the same";
    }
}
