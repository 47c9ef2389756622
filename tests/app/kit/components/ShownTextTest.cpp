// The texts rules hand to the views: engine failure texts as toasts and failed states show
// them.
#include "kit/ShownText.hpp"

#include <QByteArrayView>
#include <QString>
#include <gtest/gtest.h>

using namespace ZintraRadio;

TEST(ToastText, KnownEngineMessagesAreLocalised) {
    auto translate = [](const char* key) {
        if (QByteArrayView(key) == "error.missingTool")
            return QStringLiteral("Missing %1:");
        return QStringLiteral("[") + QString::fromLatin1(key) + QStringLiteral("]");
    };
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Nothing is playing.", "[error.notPlaying]"},
        {"Nothing is playing. ", "Nothing is playing. "},
        {"No playable stream found.", "[error.noStream]"},
        {"ffmpeg not found - sudo apt install ffmpeg yt-dlp",
         "Missing ffmpeg: sudo apt install ffmpeg yt-dlp"},
        {" not found - ", "Missing : "},
        {"a not found - b not found - c", "Missing a: b not found - c"},
        {"ffmpeg not found", "ffmpeg not found"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayedError(QString::fromUtf8(c.message), translate), QString::fromUtf8(c.shown))
            << c.message;
}
