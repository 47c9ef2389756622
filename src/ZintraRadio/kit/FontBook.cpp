#include "kit/FontBook.hpp"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlEngine>
#include <initializer_list>

namespace ZintraRadio {

namespace {

// Loads the first of `files` that exists; the family it brings, or empty.
QString loadFamily(std::initializer_list<const char*> files) {
    QString family;
    for (const char* file : files) {
        const QString path = QString::fromLatin1(file);
        if (!QFile::exists(path))
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList{};
        if (family.isEmpty() && !families.isEmpty())
            family = families.first();
    }
    return family;
}

} // namespace

FontBook::FontBook() {
    const QString fallback = QGuiApplication::font().family();
    text_ = fallback;
    rounded_ = loadFamily({"/usr/share/fonts/truetype/quicksand/Quicksand-Regular.ttf",
                           "/usr/share/fonts/truetype/quicksand/Quicksand-Medium.ttf",
                           "/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf"});
    if (rounded_.isEmpty())
        rounded_ = loadFamily({"/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf",
                               "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf"});
    if (rounded_.isEmpty())
        rounded_ = fallback;
    mono_ = loadFamily({"/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Regular.ttf",
                        "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Medium.ttf",
                        "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-SemiBold.ttf",
                        "/usr/share/fonts/truetype/jetbrains-mono/JetBrainsMono-Bold.ttf"});
    if (mono_.isEmpty())
        mono_ = loadFamily({"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                            "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"});
    if (mono_.isEmpty())
        mono_ = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    materialIcons_ =
        loadFamily({"/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf"});
    designIcons_ =
        loadFamily({"/usr/share/fonts/truetype/materialdesignicons-webfont/materialdesignicons-webfont.ttf"});
}

FontBook& FontBook::instance() {
    static FontBook* book = new FontBook(); // lives as long as the process; the fonts stay loaded
    return *book;
}

FontBook* FontBook::create(QQmlEngine*, QJSEngine*) {
    auto* book = &instance();
    QQmlEngine::setObjectOwnership(book, QQmlEngine::CppOwnership);
    return book;
}

} // namespace ZintraRadio
