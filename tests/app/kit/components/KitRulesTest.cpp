// The kit's pure rules as case tables: theme colours, accents, clock texts, the controls'
// geometry, the boot timeline, artwork choice and initials, and station details.
#include "kit/ArtworkRules.hpp"
#include "kit/ControlRules.hpp"
#include "kit/FontBook.hpp"
#include "kit/FrameDriver.hpp"
#include "kit/GlowImages.hpp"
#include "kit/GradientPaint.hpp"
#include "kit/HitShape.hpp"
#include "kit/IconRegistry.hpp"
#include "kit/Motion.hpp"
#include "kit/ShaderLibrary.hpp"
#include "kit/StationDetails.hpp"
#include "kit/ThemeRules.hpp"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <QRawFont>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

using namespace ZintraRadio;

namespace {

void expectRGB(const RGB& actual, const RGB& expected, double tolerance = 1e-4) {
    EXPECT_NEAR(actual.red, expected.red, tolerance);
    EXPECT_NEAR(actual.green, expected.green, tolerance);
    EXPECT_NEAR(actual.blue, expected.blue, tolerance);
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

TEST(Theme, SpectrumRampRunsMagentaVioletCyanAndClampsBadPositions) {
    const struct {
        double position;
        RGB expected;
    } cases[] = {
        {0, {1.0, 0.32, 0.8}},         {0.25, {0.78, 0.34, 0.9}},      {0.5, {0.56, 0.36, 1.0}},
        {0.75, {0.39, 0.64, 1.0}},     {1, {0.22, 0.92, 1.0}},         {-1, {1.0, 0.32, 0.8}},
        {2, {0.22, 0.92, 1.0}},        {notANumber, {1.0, 0.32, 0.8}}, {infinity, {0.22, 0.92, 1.0}},
        {-infinity, {1.0, 0.32, 0.8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        expectRGB(spectrumRGB(c.position), c.expected);
    }
}

TEST(Theme, AccentIsTheFnv1aHashOfTheUtf8BytesModuloAThousand) {
    const struct {
        const char* text;
        std::uint32_t index;
    } cases[] = {
        {"", 261},
        {"abc", 331},
        // Every byte of a multi-byte character counts, and nothing is folded or trimmed.
        {"\xc3\xa4", (((((2166136261u ^ 0xc3u) * 16777619u) ^ 0xa4u) * 16777619u) % 1000u)},
        {"\xf0\x9f\x8e\xb5",
         [] {
             std::uint32_t h = 2166136261u;
             for (unsigned char b : std::string("\xf0\x9f\x8e\xb5")) {
                 h ^= b;
                 h *= 16777619u;
             }
             return h % 1000u;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(accentIndex(c.text), c.index);
    }
    expectRGB(accent(""), {0.7701, 0.3409, 0.9045});
    expectRGB(accent("abc"), {0.7084, 0.3465, 0.9325});
    EXPECT_NE(accentIndex("radio"), accentIndex("Radio"));
    EXPECT_NE(accentIndex("radio"), accentIndex(" radio"));
}

TEST(Theme, ClockTextTruncatesAndClampsEveryInput) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "0:00"},
        {59.9, "0:59"},
        {61, "1:01"},
        {3599.99, "59:59"},
        {3600, "1:00:00"},
        {3661.7, "1:01:01"},
        {36000, "10:00:00"},
        {-5, "0:00"},
        {-0.5, "0:00"},
        {notANumber, "0:00"},
        {-infinity, "0:00"},
        // The largest whole second that fits 64 bits, not undefined behaviour.
        {infinity, "2562047788015215:30:07"},
        {1e300, "2562047788015215:30:07"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(clockText(c.seconds), c.text);
    }
}

TEST(Controls, SliderMapsPointerToValueWithSevenPointMargins) {
    const struct {
        double x, width;
        float value;
    } cases[] = {
        {0, 214, 0},
        {7, 214, 0},
        {107, 214, 0.5f},
        {207, 214, 1},
        {300, 214, 1},
        // Narrower than 15 points divides by 1, and still stays within 0...1.
        {8, 10, 1},
        {7.5, 10, 0.5f},
        {notANumber, 214, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_FLOAT_EQ(sliderValue(c.x, c.width), c.value);
    }
    EXPECT_DOUBLE_EQ(sliderKnobCentre(0, 214), 7);
    EXPECT_DOUBLE_EQ(sliderKnobCentre(1, 214), 207);
    EXPECT_DOUBLE_EQ(sliderFillWidth(0, 214), 7);  // reaches the knob's centre at 0 too
    EXPECT_DOUBLE_EQ(sliderFillWidth(-1, 214), 4); // and never becomes thinner than 4
}

TEST(Controls, SliderStepsClampAndValueTextTruncates) {
    float value = 0.2f;
    for (int i = 0; i < 5; ++i)
        value = sliderStepped(value, -1);
    EXPECT_EQ(value, 0.0f);
    EXPECT_EQ(sliderStepped(0.98f, 1), 1.0f);
    const struct {
        float value;
        const char* text;
    } cases[] = {{0.75f, "75 %"},
                 {0.999f, "99 %"},
                 {1, "100 %"},
                 {0, "0 %"},
                 {std::numeric_limits<float>::quiet_NaN(), "0 %"},
                 {std::numeric_limits<float>::infinity(), "0 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(sliderValueText(c.value), c.text);
}

TEST(Controls, MarqueeScrollsOnlyWhenMoreThanOnePointTooWide) {
    EXPECT_FALSE(marqueeOverflows(200, 200));
    EXPECT_FALSE(marqueeOverflows(200, 201));
    EXPECT_TRUE(marqueeOverflows(200, 201.5));
    const double width = 300; // a cycle is 348 points, about 10.2 s at 34 points a second
    const struct {
        double elapsed, offset;
    } cases[] = {
        {0, 0},  {1.5, 0},        {2.5, 34}, {1.5 + 348.0 / 34, 0}, {1.5 + 348.0 / 34 + 1, 34},
        {-3, 0}, {notANumber, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        EXPECT_NEAR(marqueeOffset(c.elapsed, width), c.offset, 1e-9);
    }
}

TEST(Controls, ActivityGlyphBarHeights) {
    EXPECT_DOUBLE_EQ(equalizerBarHeight(0), 3);
    EXPECT_DOUBLE_EQ(equalizerBarHeight(-1), 3);
    EXPECT_DOUBLE_EQ(equalizerBarHeight(1), 14);
    EXPECT_DOUBLE_EQ(equalizerBarHeight(7), 14);
    EXPECT_DOUBLE_EQ(equalizerBarHeight(0.5), 8.5);
    for (double t = 0; t < 10; t += 0.37)
        for (int i = 0; i < 4; ++i) {
            const double h = equalizerBarHeight(equalizerIdleLevel(t, i));
            EXPECT_GE(h, 3 + 11 * 0.1 - 1e-9);
            EXPECT_LE(h, 3 + 11 * 0.4 + 1e-9);
        }
    EXPECT_DOUBLE_EQ(loadingBarHeight(std::numbers::pi / 12, 0), 30); // sin = 1
    EXPECT_DOUBLE_EQ(loadingBarHeight(-std::numbers::pi / 12, 0), 8); // sin = -1
}

TEST(Boot, TimelineAtItsLandmarks) {
    const struct {
        double t;
        double morph, credit, opacity, scale;
    } cases[] = {
        {0, 0, 0, 1, 1}, {1.0, 1, 1, 1, 1}, {1.5, 1, 1, 0.5, 1.15}, {1.7, 1, 1, 0, 1.6}, {3, 1, 1, 0, 1.6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        const auto frame = bootFrame(c.t, false);
        EXPECT_NEAR(frame.morph, c.morph, 1e-9);
        EXPECT_NEAR(frame.credit, c.credit, 1e-9);
        EXPECT_NEAR(frame.opacity, c.opacity, 1e-9);
        EXPECT_NEAR(frame.scale, c.scale, 1e-9);
    }
    // Reduced motion: the ring and the credit from the first frame, the exit without zoom.
    const auto reduced = bootFrame(0, true);
    EXPECT_EQ(reduced.morph, 1);
    EXPECT_EQ(reduced.credit, 1);
    EXPECT_EQ(bootFrame(1.5, true).scale, 1);
    EXPECT_NEAR(bootFrame(1.5, true).opacity, 0.5, 1e-9);
}

TEST(Boot, CurveGrowsFromTheCentreAndCurlsIntoARing) {
    // At t = 0 the wave has no width: every point lies on the vertical line x = cx.
    for (const auto& p : bootCurve(1000, 800, 0, bootFrame(0, false)))
        EXPECT_NEAR(p.x, 500, 1e-9);
    // At t = 1 it is fully a ring of radius about 96 +- 26 around (cx, cy).
    const auto ring = bootCurve(1000, 800, 1.0, bootFrame(1.0, false));
    ASSERT_EQ(ring.size(), 361u);
    for (const auto& p : ring) {
        const double r = std::hypot(p.x - 500, p.y - 380);
        EXPECT_GE(r, 96 - 26 - 1e-9);
        EXPECT_LE(r, 96 + 26 + 1e-9);
    }
    // The wave's half length is 0.36 of a narrow canvas, at most 420.
    const auto narrow = bootCurve(500, 800, 0.35, bootFrame(0.35, false));
    EXPECT_NEAR(narrow.front().x, 250 - 180, 1e-9);
    const auto wide = bootCurve(2000, 800, 0.35, bootFrame(0.35, false));
    EXPECT_NEAR(wide.front().x, 1000 - 420, 1e-9);
}

TEST(Artwork, PictureAddressIsAWellFormedWebAddressOnly) {
    const struct {
        const char* thumbnail;
        const char* favicon;
        const char* address; // nullptr: no picture
    } cases[] = {
        {"", "", nullptr},
        {"", "https://radio.example/icon.png", "https://radio.example/icon.png"},
        {"http://img.example/t.jpg", "https://radio.example/icon.png", "http://img.example/t.jpg"},
        {"", "ftp://radio.example/icon.png", nullptr},
        {"", "data:image/png;base64,iVBORw0KGgo=", nullptr},
        {"", "file:///etc/passwd", nullptr},
        {"", "httpfoo://radio.example/icon.png", nullptr},
        {"", "https:relative/icon.png", nullptr},
        {"", "/local/icon.png", nullptr},
        {"", "HTTPS://radio.example/a.png", "https://radio.example/a.png"},
        // A malformed thumbnail does not fall back to a good favicon.
        {"http://exa mple.com/%zz", "https://radio.example/icon.png", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.favicon);
        const auto address = artworkAddress(QString::fromUtf8(c.thumbnail), QString::fromUtf8(c.favicon));
        if (c.address == nullptr)
            EXPECT_FALSE(address.has_value()) << address->toString().toStdString();
        else
            EXPECT_EQ(address.value_or(QUrl()).toString(), QString::fromUtf8(c.address));
    }
}

TEST(Artwork, InitialIsTheFirstCharacterAfterPunctuationAndSpaces) {
    const struct {
        const char* name;
        const char* initial;
    } cases[] = {
        {"  (radio wien", "R"},
        {"", ""},
        {" \t...!? ", ""},
        {"\u00f6sterreich 1", "\u00d6"},
        {"e\u0301cole", "E\u0301"}, // a letter with a combining accent is one character
        {"\U0001F1E6\U0001F1F9 radio", "\U0001F1E6\U0001F1F9"}, // a flag is one character
        {"\nline", "\n"},                                       // line breaks are not trimmed
        {"\u201cquoted\u201d", "Q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(artworkInitial(QString::fromUtf8(c.name)), QString::fromUtf8(c.initial));
    }
    const RGB mixed = artworkMix(Palette::cyan);
    expectRGB(mixed, {0.22 + (0.56 - 0.22) * 0.6, 0.92 + (0.36 - 0.92) * 0.6, 1.0});
}

TEST(StationRow, DetailsFollowTheKindOfItem) {
    auto regions = [](std::string_view code) -> std::optional<std::string> {
        if (code == "AT")
            return "Austria (locale)";
        if (code == "EMPTY")
            return "";
        return std::nullopt;
    };
    using ZazidEvoz::MediaKind;
    auto make = [](MediaKind kind, std::string genre, std::string code, std::string country,
                   std::int64_t bitrate, std::string uploader = {}, std::int64_t duration = 0) {
        ZazidEvoz::Station s;
        s.kind = kind;
        s.genre = std::move(genre);
        s.countryCode = std::move(code);
        s.country = std::move(country);
        s.bitrate = bitrate;
        s.uploader = std::move(uploader);
        s.duration = duration;
        return s;
    };
    const struct {
        ZazidEvoz::Station station;
        const char* details;
    } cases[] = {
        {make(MediaKind::radio, " rock, pop ,, jazz\t, metal", "AT", "Austria", 128),
         "rock, pop, jazz \u00b7 Austria (locale) \u00b7 128 kbps"},
        {make(MediaKind::radio, "rock", "", "Austria", 128), "rock \u00b7 Austria \u00b7 128 kbps"},
        {make(MediaKind::radio, "rock", "", "", 0), "rock"},
        {make(MediaKind::radio, "", "XX", "Nowhere", 0), "Nowhere"}, // unknown code: the country text
        {make(MediaKind::radio, "", "EMPTY", "Somewhere", 0), ""},   // an empty locale answer is taken as is
        {make(MediaKind::radio, "", "", "", 0), ""},
        {make(MediaKind::file, "", "", "", 320), "320 kbps"},
        {make(MediaKind::youtube, "rock", "AT", "Austria", 128, "U", 187), "U \u00b7 3:07"},
        {make(MediaKind::youtube, "", "", "", 0, "U", 0), "U"},
        {make(MediaKind::instagram, "", "", "", 0, "", 3723), "1:02:03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.details);
        EXPECT_EQ(stationDetails(c.station, regions), c.details);
    }
}

TEST(StationRow, RegionNamesComeFromTheLocale) {
    EXPECT_TRUE(regionName("AT").has_value());
    EXPECT_FALSE(regionName("QQ").has_value());
    EXPECT_FALSE(regionName("").has_value());
}

TEST(Effects, GlowIdsRoundTripAndRejectNonsense) {
    const GlowSpec spec{120.4, 44, 13, 7, 1, QColor::fromRgbF(0.22f, 0.92f, 1, 1)};
    const QString id = glowId(spec);
    EXPECT_FALSE(id.contains(QLatin1Char('#'))); // '#' would end the image URL
    const auto parsed = parseGlowId(id);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->width, 120);
    EXPECT_EQ(parsed->lineWidth, 1);
    EXPECT_EQ(parsed->color.name(QColor::HexArgb), spec.color.name(QColor::HexArgb));
    for (const char* bad : {"", "1,2,3", "a,2,3,4,0,ff00ff00", "10,10,2,4,0,nocolor",
                            "99999,10,2,4,0,ff00ff00", "10,10,2,-4,0,ff00ff00", "10,10,2,4,-1,ff00ff00"})
        EXPECT_FALSE(parseGlowId(QString::fromLatin1(bad)).has_value()) << bad;
    const QImage glow = renderGlow(spec);
    EXPECT_EQ(glow.width(), 120 + 2 * 11);
    EXPECT_EQ(renderGlow(spec), glow); // the same spec draws the same pixels
}

TEST(Effects, ReducedMotionFromTheDesktopSettings) {
    const struct {
        const char* kde;
        const char* gtk;
        bool off;
    } cases[] = {
        {"", "", false},
        {"[KDE]\nAnimationDurationFactor=0\n", "", true},
        {"[KDE]\nAnimationDurationFactor=0.5\n", "", false},
        {"[General]\nAnimationDurationFactor=0\n", "", false},
        {"", "[Settings]\ngtk-enable-animations=false\n", true},
        {"", "[Settings]\ngtk-enable-animations = 0\n", true},
        {"", "[Settings]\ngtk-enable-animations=true\n", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopAnimationsOff(QString::fromUtf8(c.kde), QString::fromUtf8(c.gtk)), c.off)
            << c.kde << c.gtk;
}

TEST(Effects, ShaderLibraryNeedsOpenGLOnARealPlatform) {
    EXPECT_TRUE(shaderLibraryUsable(true, QStringLiteral("xcb"), true));
    EXPECT_FALSE(shaderLibraryUsable(true, QStringLiteral("offscreen"), true));
    EXPECT_FALSE(shaderLibraryUsable(false, QStringLiteral("xcb"), true));
    EXPECT_FALSE(shaderLibraryUsable(true, QStringLiteral("wayland"), false));
    EXPECT_TRUE(bakedShadersLoad());

    // The software scene graph asked for by name draws no shaders, whatever the API report says.
    const struct {
        QSGRendererInterface::GraphicsApi api;
        const char* adaptation;
        bool openGL;
    } cases[] = {
        {QSGRendererInterface::OpenGL, "", true},          {QSGRendererInterface::OpenGL, "rhi", true},
        {QSGRendererInterface::OpenGL, "software", false}, {QSGRendererInterface::OpenGL, "openvg", false},
        {QSGRendererInterface::Software, "", false},       {QSGRendererInterface::Vulkan, "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowsDrawWithOpenGL(c.api, QString::fromLatin1(c.adaptation)), c.openGL) << c.adaptation;
}

TEST(Icons, EverySymbolOfTheRegistryIsAGlyphOfItsInstalledFont) {
    for (std::string_view symbol : iconSymbols()) {
        const auto glyph = iconGlyph(symbol);
        ASSERT_TRUE(glyph.has_value());
        const QString family = glyph->font == IconFont::material ? FontBook::instance().materialIcons()
                                                                 : FontBook::instance().designIcons();
        if (family.isEmpty())
            continue; // the font is not installed: the view shows its placeholder
        QFont font(family);
        font.setPixelSize(24);
        const QRawFont raw = QRawFont::fromFont(font);
        EXPECT_TRUE(raw.supportsCharacter(glyph->codepoint)) << symbol;
    }
    EXPECT_FALSE(iconGlyph("no.such.symbol").has_value());
}

TEST(Controls, RoundControlsTakeClicksInsideTheirOutlineOnly) {
    HitShape circle;
    circle.setProperty("width", 30);
    circle.setProperty("height", 30);
    circle.setProperty("cornerRadius", 15);
    EXPECT_TRUE(circle.contains({15, 15}));
    EXPECT_TRUE(circle.contains({15, 0.5}));
    EXPECT_FALSE(circle.contains({2, 2})); // the transparent corner of the square frame
    EXPECT_FALSE(circle.contains({31, 15}));
    HitShape capsule;
    capsule.setProperty("width", 100);
    capsule.setProperty("height", 28);
    capsule.setProperty("cornerRadius", 14);
    EXPECT_TRUE(capsule.contains({50, 1}));
    EXPECT_FALSE(capsule.contains({1, 1}));
    EXPECT_TRUE(capsule.contains({1, 14}));
}

TEST(Controls, SpringsBecomeOneEasingThatSettlesAndOvershootsLikeThem) {
    const struct {
        double response, damping;
        double duration, overshootFraction;
    } cases[] = {
        {0.42, 0.85, 0.412, 0.0063}, // layout changes: barely past the target
        {0.30, 0.65, 0.359, 0.0681}, // the play button's hover: a visible bounce
        {0.40, 0.80, 0.407, 0.0152}, // toasts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.response);
        const auto easing = springEasing(c.response, c.damping);
        EXPECT_NEAR(easing.duration, c.duration, 0.002);
        // The back easing with that parameter overshoots by the spring's fraction.
        const double s = easing.overshoot;
        double most = 0;
        for (double t = 0; t <= 1; t += 1e-4)
            most = std::max(most, 1 + (s + 1) * std::pow(t - 1, 3) + s * std::pow(t - 1, 2));
        EXPECT_NEAR(most - 1, c.overshootFraction, 0.0005);
    }
    EXPECT_EQ(springEasing(0.5, 1.0).overshoot, 0); // critically damped: no overshoot
    EXPECT_GT(springEasing(0.5, std::nan("")).duration, 0);
}

TEST(FrameRate, FollowsTheRendererAndPlayback) {
    struct Case {
        RendererKind renderer;
        bool playing;
        int rate;
    };
    for (const Case& c : {Case{RendererKind::Gpu, false, 30}, Case{RendererKind::Gpu, true, 60},
                          Case{RendererKind::Software, false, 12}, Case{RendererKind::Software, true, 30}})
        EXPECT_EQ(frameRateFor(c.renderer, c.playing), c.rate);
    EXPECT_TRUE(isSoftwareRasteriser("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRasteriser("softpipe"));
    EXPECT_FALSE(isSoftwareRasteriser("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(isSoftwareRasteriser(""));
}

// Names on tiles: between words where the name has several, anywhere in a single long word;
// at most the lines asked for, the last one holding the rest.
TEST(Text, WrappedLinesBreakBetweenWordsWhereThereAreAny) {
    QFont font(FontBook::instance().text());
    font.setPixelSize(12);
    const QFontMetricsF metrics(font);
    const qreal word = metrics.horizontalAdvance(QStringLiteral("Deutschlandfunk"));
    const qreal narrow = word * 0.8; // the long word does not fit a line
    struct Case {
        QString text;
        qreal width;
        int lines;
        QStringList expected; // empty: see the checks below
    };
    const Case cases[] = {
        {QStringLiteral("SomaFM Groove Salad"),
         metrics.horizontalAdvance(QStringLiteral("SomaFM Groove")) + 1,
         2,
         {QStringLiteral("SomaFM Groove"), QStringLiteral("Salad")}},
        {QStringLiteral("Radio Swiss Classic"),
         metrics.horizontalAdvance(QStringLiteral("Radio Swiss")) + 1,
         1,
         {metrics.elidedText(QStringLiteral("Radio Swiss Classic"), Qt::ElideRight,
                             metrics.horizontalAdvance(QStringLiteral("Radio Swiss")) + 1)}},
        {QStringLiteral("FM4"), 200, 2, {QStringLiteral("FM4")}},
        {QString(), 200, 2, {}},
        {QStringLiteral("FM4"), 0, 2, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrappedLines(c.text, font, c.width, c.lines), c.expected) << c.text.toStdString();

    // A long first word is cut short on its own line; the next word keeps the second whole.
    const QStringList twoWords = wrappedLines(QStringLiteral("Deutschlandfunk Kultur"), font, narrow, 2);
    ASSERT_EQ(twoWords.size(), 2);
    EXPECT_TRUE(twoWords[0].startsWith(QStringLiteral("Deutsch")) && twoWords[0].endsWith(QChar(0x2026)))
        << twoWords[0].toStdString();
    EXPECT_LE(metrics.horizontalAdvance(twoWords[0]), narrow);
    EXPECT_EQ(twoWords[1], QStringLiteral("Kultur"));

    // A single word too long for a line goes on over the next one.
    const QStringList oneWord = wrappedLines(QStringLiteral("Deutschlandfunk"), font, narrow, 2);
    ASSERT_EQ(oneWord.size(), 2);
    EXPECT_EQ(oneWord.join(QString()), QStringLiteral("Deutschlandfunk"));
}

// Panels' backgrounds are vertex colours: at every point they match what QPainter lays for the
// same gradients, over an opaque ground or a translucent one.
TEST(Backdrop, ColoursMatchWhatQPainterPaints) {
    const QColor night = QColor::fromRgbF(0.015f, 0.02f, 0.06f);
    auto tint = [](const char* name, double alpha) {
        QColor colour(QString::fromLatin1(name));
        colour.setAlphaF(float(alpha));
        return QVariant(colour);
    };
    struct Case {
        const char* name;
        BackdropLook look;
        QSize size;
    };
    const Case cases[] = {
        {"side panel",
         {night,
          GradientPaint::Diagonal,
          {tint("#8f5cff", 0.14), QVariant(QColor(Qt::transparent)), tint("#ff52cc", 0.07)},
          QColor::fromRgbF(0.22f, 0.92f, 1, 0.07f),
          QPointF(380, 890),
          420},
         QSize(380, 890)},
        {"deck",
         {night, GradientPaint::Diagonal, {tint("#8f5cff", 0.13), tint("#38ebff", 0.04)}, {}, {}, 0},
         QSize(950, 150)},
        {"rail",
         {night,
          GradientPaint::Vertical,
          {tint("#8f5cff", 0.16), QVariant(QColor(Qt::transparent)), tint("#38ebff", 0.06)},
          {},
          {},
          0},
         QSize(200, 890)},
        {"translucent ground",
         {QColor::fromRgbF(0.015f, 0.02f, 0.06f, 0.8f),
          GradientPaint::Diagonal,
          {tint("#8f5cff", 0.16), QVariant(QColor(Qt::transparent)), tint("#38ebff", 0.07)},
          {},
          {},
          0},
         QSize(800, 700)},
        {"bright wash, no tint",
         {QColor(Qt::black), GradientPaint::Horizontal, {}, QColor(255, 255, 255, 200), QPointF(50, 50), 80},
         QSize(200, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage painted(c.size, QImage::Format_ARGB32_Premultiplied);
        painted.fill(Qt::transparent);
        QPainter painter(&painted);
        const QRectF bounds(QPointF(), QSizeF(c.size));
        painter.fillRect(bounds, c.look.base);
        if (!c.look.colors.isEmpty())
            painter.fillRect(bounds, spreadGradient(bounds, c.look.direction, c.look.colors));
        if (c.look.washRadius > 0) {
            QRadialGradient wash(c.look.washCentre, c.look.washRadius);
            wash.setColorAt(0, c.look.washColor);
            wash.setColorAt(1, Qt::transparent);
            painter.fillRect(bounds, wash);
        }
        painter.end();
        for (int y = 0; y < c.size.height(); y += c.size.height() / 7)
            for (int x = 0; x < c.size.width(); x += c.size.width() / 5) {
                const QColor expected = painted.pixelColor(x, y);
                const QColor actual = backdropColour(c.look, QSizeF(c.size), QPointF(x + 0.5, y + 0.5));
                EXPECT_NEAR(actual.red(), expected.red(), 2) << x << "," << y;
                EXPECT_NEAR(actual.green(), expected.green(), 2) << x << "," << y;
                EXPECT_NEAR(actual.blue(), expected.blue(), 2) << x << "," << y;
                EXPECT_NEAR(actual.alpha(), expected.alpha(), 2) << x << "," << y;
            }
    }
}
