#include "stage/StageModeTable.hpp"

#include "stage/StageModes.hpp"
#include "stage/VectorscopeCanvas.hpp"

#include <QJSEngine>

namespace ZintraRadio {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

} // namespace

StageModeTable* StageModeTable::create(QQmlEngine*, QJSEngine*) {
    static StageModeTable* table = new StageModeTable; // lives as long as the process
    QJSEngine::setObjectOwnership(table, QJSEngine::CppOwnership);
    return table;
}

QStringList StageModeTable::modes() const {
    QStringList names;
    for (const StageMode& mode : stageModes())
        names.append(text(mode.raw()));
    return names;
}

QString StageModeTable::normalized(const QString& raw) const {
    return text(stageModeOf(raw).raw());
}

QString StageModeTable::symbol(const QString& raw) const {
    return text(stageModeOf(raw).symbol);
}

QString StageModeTable::nameKey(const QString& raw) const {
    return text(labelKey(stageModeOf(raw).mode));
}

QString StageModeTable::drawing(const QString& raw) const {
    switch (stageModeOf(raw).drawing) {
    case StageDrawing::Terrain:
        return QStringLiteral("terrain");
    case StageDrawing::Vectorscope:
        return QStringLiteral("vectorscope");
    case StageDrawing::Shader:
        break;
    }
    return QStringLiteral("shader");
}

QVariantMap StageModeTable::vectorscopeLabels(double width, double height) const {
    const VectorscopeLayout layout = Vectorscope::layout(QSizeF(width, height));
    return {{QStringLiteral("leftLabel"), layout.leftLabel},
            {QStringLiteral("rightLabel"), layout.rightLabel},
            {QStringLiteral("bar"), layout.bar}};
}

} // namespace ZintraRadio
