// The smart-playlist editor sheet's state: the draft the browser presents, the name, the rule
// rows, the match mode, the order and the limit as typed, and the live preview (how many library
// tracks the edited playlist holds and the first nine of them), computed again after each edit,
// not while painting. It loads each time a draft is presented and empties when the sheet closes.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "music/MusicBound.hpp"
#include "music/SmartEditorRules.hpp"
#include "state/ListModel.hpp"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QAbstractItemModel;

namespace ZintraRadio {

class SmartEditorForm : public MusicBound {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool open READ isOpen NOTIFY openChanged)
    Q_PROPERTY(bool isNew READ isNew NOTIFY openChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY stateChanged)
    Q_PROPERTY(bool matchAll READ matchAll WRITE setMatchAll NOTIFY stateChanged)
    Q_PROPERTY(QString sort READ sort WRITE setSort NOTIFY stateChanged)
    Q_PROPERTY(QString limit READ limit WRITE setLimit NOTIFY stateChanged)
    // Rows: id, kind, text, number, second, value ("text", "number", "range", "nothing"), unitKey,
    // numberRefused, secondRefused and problem (why a typed number is refused; empty for none).
    Q_PROPERTY(QAbstractItemModel* rules READ rulesModel CONSTANT)
    Q_PROPERTY(int ruleCount READ ruleCount NOTIFY stateChanged)
    // False while a rule holds a number it cannot take.
    Q_PROPERTY(bool canSave READ canSave NOTIFY stateChanged)
    Q_PROPERTY(int previewCount READ previewCount NOTIFY previewChanged)
    // The first nine matching tracks: {cover, seed}.
    Q_PROPERTY(QVariantList previewCovers READ previewCovers NOTIFY previewChanged)
    Q_PROPERTY(QStringList genres READ genres NOTIFY genresChanged)
    Q_PROPERTY(QStringList kinds READ kinds CONSTANT)
    Q_PROPERTY(QStringList sorts READ sorts CONSTANT)
    // The translated names of the kinds and of the orders, in the same order.
    Q_PROPERTY(QStringList kindLabels READ kindLabels CONSTANT)
    Q_PROPERTY(QStringList sortLabels READ sortLabels CONSTANT)

public:
    explicit SmartEditorForm(QObject* parent = nullptr);

    bool isOpen() const { return draft_.has_value(); }
    bool isNew() const { return isNew_; }
    QString name() const;
    void setName(const QString& name);
    bool matchAll() const { return state_.matchAll; }
    void setMatchAll(bool matchAll);
    QString sort() const;
    void setSort(const QString& sort);
    QString limit() const;
    void setLimit(const QString& limit);
    QAbstractItemModel* rulesModel() const;
    int ruleCount() const { return static_cast<int>(state_.rules.size()); }
    bool canSave() const;
    int previewCount() const { return previewCount_; }
    QVariantList previewCovers() const { return previewCovers_; }
    static QStringList kinds();
    static QStringList sorts();
    static QStringList kindLabels();
    static QStringList sortLabels();

    // The smart playlist the sheet describes now.
    ZazidEvoz::SmartPlaylist result() const;
    const SmartEditorState& state() const { return state_; }

    Q_INVOKABLE void addRule();
    Q_INVOKABLE void removeRule(const QString& id);
    Q_INVOKABLE void setKind(int row, const QString& kind);
    Q_INVOKABLE void setText(int row, const QString& text);
    // A typed number; one the rule cannot take keeps the value and is shown refused (false).
    Q_INVOKABLE bool setNumber(int row, const QString& typed);
    Q_INVOKABLE bool setSecond(int row, const QString& typed);
    // Creates or replaces the smart playlist, then closes; nothing while canSave is false.
    Q_INVOKABLE void save();
    // Closes without saving (also what Escape and a dismissed sheet do).
    Q_INVOKABLE void close();

Q_SIGNALS:
    void openChanged();
    void stateChanged();
    void previewChanged();
    void genresChanged();

protected:
    void musicReplaced() override;
    void uiReplaced() override;

private:
    void load();
    void editRow(int row, const std::function<void(RuleDraft&)>& edit);
    bool setTypedNumber(int row, const QString& typed, std::int64_t RuleDraft::*number,
                        std::optional<std::string> RuleDraft::*refused);
    void changed();
    void updatePreview();

    std::optional<ZazidEvoz::SmartPlaylist> draft_;
    bool isNew_ = false;
    SmartEditorState state_;
    VectorListModel<RuleDraft>* rules_;
    int previewCount_ = 0;
    QVariantList previewCovers_;
    QTimer previewTimer_;
};

} // namespace ZintraRadio
