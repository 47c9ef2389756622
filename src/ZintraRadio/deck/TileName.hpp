// A station name of at most two centred lines, in white or painted with the spectrum
// (the station on air), always as tall as two lines so tiles in a row line up. The text is
// drawn as plain characters.
#pragma once

#include <QFont>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class TileName : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY lookChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY lookChanged)
    Q_PROPERTY(bool spectrum READ spectrum WRITE setSpectrum NOTIFY lookChanged)

public:
    explicit TileName(QQuickItem* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    const QFont& font() const { return font_; }
    void setFont(const QFont& font);
    bool spectrum() const { return spectrum_; }
    void setSpectrum(bool spectrum);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void lookChanged();

private:
    void measure();

    QString text_;
    QFont font_;
    bool spectrum_ = false;
};

} // namespace ZintraRadio
