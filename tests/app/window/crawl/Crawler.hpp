// A crawl of the running window: it walks the item tree for what a user can click or type
// into (buttons and menu items of every kind, mouse areas and tap handlers that act, text
// fields), activates each once with real mouse and key events in a fixed order, and after each
// step checks that nothing went wrong: no QML or Qt warning, no sanitizer report, and Space
// still toggles playback. What a step opens is crawled at once: a menu, a sheet or a page is a
// context reached again, when it closes, by replaying the controls that opened it. A file
// dialog is cancelled. With CRAWL_VERBOSE set, each step is written to standard error.
#pragma once

#include "MessageGate.hpp"
#include "QtTestKit.hpp"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QMetaMethod>
#include <QPainter>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ZintraRadio::testkit {

// A fault known to be mended elsewhere: the messages or findings it causes pass, named.
struct KnownFault {
    QRegularExpression pattern; // matched against each message or finding
    const char* fault;
};

// Controls the crawl leaves alone, by objectName, with the reason.
struct Skipped {
    QRegularExpression objectName;
    const char* reason;
};

class Crawler {
public:
    enum class Gesture { click, rightClick, doubleClick, type };

    struct Control {
        QPointer<QQuickItem> item;  // where the pointer goes
        QPointer<QObject> receiver; // the button, mouse area, handler or text input
        Gesture gesture = Gesture::click;
        QString key;
    };

    struct Options {
        QQuickWindow* window = nullptr;
        // The parts of the window this crawl covers (open popups always count).
        std::function<std::vector<QQuickItem*>()> scope;
        // Puts the window back in the crawl's starting state (popups excepted: the crawl closes
        // them itself); `atStart` tells whether it is there.
        std::function<void()> restore;
        // Puts the window in its starting state afresh, views made anew (what a view keeps to
        // itself, such as a panel's tab, starts over too).
        std::function<void()> rebuild;
        std::function<bool()> atStart;
        // Takes away what passes by itself (a toast) when it lies over a control, as a user
        // closes it or waits; false when nothing was there.
        std::function<bool()> clearPassing = [] { return false; };
        // Where pictures of findings go; none without.
        QString pictures;
        // The window's state in a few words, for a report.
        std::function<QString()> describe;
        // The playback state's name ("playing", "paused", "buffering", "stopped", "failed").
        std::function<QString()> playbackState;
        // Names of items whose controls belong to another crawl.
        QStringList excluded;
        // The model whose `playbackSignal` announces each change of the playback state.
        QObject* player = nullptr;
        const char* playbackSignal = "stateChanged()";
        std::vector<Skipped> skipped;
        std::vector<KnownFault> known;
        // Controls whose purpose is to put the keyboard in a text field.
        QRegularExpression focusing;
    };

    explicit Crawler(Options options) : options_(std::move(options)) {}

    // Crawls from the starting state until every control found was activated once.
    void run() {
        MessageGate::instance().takeRecent();
        options_.restore();
        closePopups();
        settle();
        explore({});
        removeLast();
        closePopups();
        options_.restore();
        check(QStringLiteral("the end of the crawl"));
    }

    int activated() const { return activated_; }
    const QStringList& skippedKeys() const { return skippedKeys_; }
    // Controls that went (or never showed) before the crawl could activate them.
    const QStringList& lost() const { return lost_; }
    const QStringList& knownSeen() const { return knownSeen_; }
    const QStringList& findings() const { return findings_; }
    int spaceChecks() const { return spaceChecks_; }
    int dialogsCancelled() const { return dialogsCancelled_; }

    // Every control visible now, in tree order.
    std::vector<Control> collect() const {
        std::vector<Control> found;
        std::map<QString, int> seen;
        std::vector<QQuickItem*> roots = options_.scope();
        if (QQuickItem* overlay = overlayOf(options_.window))
            roots.push_back(overlay);
        // The program's other windows (about, mini player) while they show.
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (auto* quick = qobject_cast<QQuickWindow*>(window);
                quick != nullptr && quick != options_.window && quick->isVisible())
                roots.push_back(quick->contentItem());
        for (QQuickItem* root : roots)
            if (root != nullptr)
                walk(root, 1.0, found);
        // Keys that repeat (unnamed twins) get their place among the twins; entries named by
        // an identity (one per playlist) stand for all of their kind.
        static const QRegularExpression identity(
            QStringLiteral("[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}"));
        for (Control& control : found) {
            if (control.key.contains(identity)) {
                control.key.replace(identity, QStringLiteral("<id>"));
                continue;
            }
            const int twin = seen[control.key]++;
            if (twin > 0)
                control.key += QStringLiteral("#") + QString::number(twin);
        }
        return found;
    }

private:
    // Runs the event loop for `duration`, deleting what asked to be deleted as the program's
    // own loop does (left alone, items taken out of the window linger and their timers fire).
    static void pump(std::chrono::milliseconds duration) {
        pumpUntil([] { return false; }, duration);
    }

    // ---- Finding controls

    static QQuickItem* overlayOf(QQuickWindow* window) {
        for (QQuickItem* child : window->contentItem()->childItems())
            if (child->inherits("QQuickOverlay"))
                return child;
        return nullptr;
    }

    static bool connected(QObject* object, const char* signature) {
        const int index = object->metaObject()->indexOfSignal(signature);
        if (index < 0)
            return false;
        // isSignalConnected() is protected; named through a class that makes it public, it is
        // still QObject's own member, called on the object as it is.
        struct Peek : QObject {
            using QObject::isSignalConnected;
        };
        const auto isConnected = &Peek::isSignalConnected;
        return (object->*isConnected)(object->metaObject()->method(index));
    }

    static Qt::MouseButtons buttonsOf(QObject* object) {
        return Qt::MouseButtons(object->property("acceptedButtons").toInt());
    }

    // What names a control among its neighbours: its name, else its text or symbol.
    static QString label(QObject* object) {
        if (!object->objectName().isEmpty())
            return object->objectName();
        for (const char* property : {"text", "helpKey", "titleKey", "symbol", "promptKey"}) {
            const QString value = object->property(property).toString();
            if (!value.isEmpty())
                return QString::fromLatin1(object->metaObject()->className())
                           .section(QLatin1Char('_'), 0, 0) +
                       QLatin1Char(':') + value;
        }
        return QString::fromLatin1(object->metaObject()->className()).section(QLatin1Char('_'), 0, 0);
    }

    // The names of the item's ancestors, outermost first, then the control's own label.
    static QString keyOf(QQuickItem* item, QObject* receiver, Gesture gesture) {
        QStringList parts;
        for (QQuickItem* above = item; above != nullptr; above = above->parentItem()) {
            QString name = above->objectName();
            if (name.isEmpty() && above->inherits("QQuickPopupItem") && above->parent() != nullptr)
                name = label(above->parent());
            if (!name.isEmpty() && above != receiver)
                parts.prepend(name);
        }
        parts.append(label(receiver));
        static const char* const gestures[] = {"", " (right)", " (double)", " (typed)"};
        return parts.join(QLatin1Char('/')) + QLatin1String(gestures[static_cast<int>(gesture)]);
    }

    // The item's name; a popup's content goes by the popup's.
    static QString nameOf(const QQuickItem* item) {
        if (!item->objectName().isEmpty() || !item->inherits("QQuickPopupItem") || item->parent() == nullptr)
            return item->objectName();
        return item->parent()->objectName();
    }

    static bool isToolTip(QQuickItem* item) {
        return item->inherits("QQuickPopupItem") && item->parent() != nullptr &&
               item->parent()->inherits("QQuickToolTip");
    }

    void add(std::vector<Control>& found, QQuickItem* item, QObject* receiver, Gesture gesture) const {
        Control control{item, receiver, gesture, keyOf(item, receiver, gesture)};
        found.push_back(control);
    }

    void walk(QQuickItem* item, double opacity, std::vector<Control>& found) const {
        opacity *= item->opacity();
        // A delegate whose row is gone (named by its index, now -1) lingers for its removal only.
        if (item->objectName().endsWith(QLatin1String("-1")))
            return;
        if (!item->isVisible() || !item->isEnabled() || opacity < 0.05 || isToolTip(item))
            return;
        // A file dialog is Qt's own: it is cancelled, not crawled.
        if (isDialog(item) || options_.excluded.contains(nameOf(item)))
            return;
        if (item->inherits("QQuickAbstractButton") || item->inherits("QQuickComboBox"))
            add(found, item, item, Gesture::click);
        else if (item->inherits("QQuickMouseArea"))
            addMouseArea(found, item);
        else if ((item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit")) &&
                 !item->property("readOnly").toBool())
            add(found, item, item, Gesture::type);
        for (QObject* child : item->children())
            if (child->inherits("QQuickTapHandler") && child->property("enabled").toBool())
                addTapHandler(found, item, child);
        for (QQuickItem* child : item->childItems())
            walk(child, opacity, found);
    }

    void addMouseArea(std::vector<Control>& found, QQuickItem* area) const {
        const Qt::MouseButtons buttons = buttonsOf(area);
        if (buttons == Qt::NoButton)
            return;
        const bool acts = connected(area, "clicked(QQuickMouseEvent*)") ||
                          connected(area, "pressed(QQuickMouseEvent*)") ||
                          connected(area, "released(QQuickMouseEvent*)");
        if (acts)
            add(found, area, area, buttons & Qt::LeftButton ? Gesture::click : Gesture::rightClick);
        if ((buttons & Qt::RightButton) && (buttons & Qt::LeftButton) && acts)
            add(found, area, area, Gesture::rightClick);
        if (connected(area, "doubleClicked(QQuickMouseEvent*)"))
            add(found, area, area, Gesture::doubleClick);
    }

    void addTapHandler(std::vector<Control>& found, QQuickItem* parent, QObject* handler) const {
        const Qt::MouseButtons buttons = buttonsOf(handler);
        const bool taps = connected(handler, "tapped(QEventPoint,Qt::MouseButton)") ||
                          connected(handler, "singleTapped(QEventPoint,Qt::MouseButton)");
        if (taps && (buttons & Qt::LeftButton))
            add(found, parent, handler, Gesture::click);
        if (taps && (buttons & Qt::RightButton))
            add(found, parent, handler, Gesture::rightClick);
        if (connected(handler, "doubleTapped(QEventPoint,Qt::MouseButton)"))
            add(found, parent, handler, Gesture::doubleClick);
    }

    // ---- Popups and dialogs

    static bool isDialog(const QQuickItem* item) {
        const QObject* owner = item->inherits("QQuickPopupItem") ? item->parent() : nullptr;
        return owner != nullptr &&
               (owner->inherits("QQuickFileDialogImpl") || owner->inherits("QQuickFolderDialogImpl"));
    }

    // The open popups (tooltips aside), topmost last.
    std::vector<QQuickItem*> openPopups() const {
        std::vector<QQuickItem*> open;
        if (QQuickItem* overlay = overlayOf(options_.window))
            for (QQuickItem* child : overlay->childItems())
                if (child->inherits("QQuickPopupItem") && child->isVisible() && !isToolTip(child))
                    open.push_back(child);
        std::stable_sort(open.begin(), open.end(),
                         [](QQuickItem* a, QQuickItem* b) { return a->z() < b->z(); });
        return open;
    }

    static bool inside(QQuickItem* item, QQuickItem* ancestor) {
        for (; item != nullptr; item = item->parentItem())
            if (item == ancestor)
                return true;
        return false;
    }

    // Waits until what a step brought has settled: popups done opening or closing, and the
    // same controls offered twice in a row (a page or a tab loads in a few frames).
    void settle() {
        QElapsedTimer waited;
        waited.start();
        QSet<QString> last;
        for (bool first = true; waited.elapsed() < 10'000; first = false) {
            pump(std::chrono::milliseconds(40));
            bool opening = false;
            if (QQuickItem* overlay = overlayOf(options_.window))
                for (QQuickItem* child : overlay->childItems())
                    opening |= child->inherits("QQuickPopupItem") && child->isVisible() && child->parent() &&
                               !child->parent()->property("opened").toBool();
            const QSet<QString> now = keysOf(collect());
            if (!first && !opening && now == last)
                return;
            last = now;
        }
    }

    // Escape until no popup is open: the way a user leaves menus, sheets and dialogs.
    void closePopups() {
        for (int attempt = 0; attempt < 8 && !openPopups().empty(); ++attempt) {
            QTest::keyClick(options_.window, Qt::Key_Escape);
            settle();
        }
        // A popup that Escape does not close (a form without a cancel key) goes as a click
        // outside it would take it.
        for (QQuickItem* popup : openPopups())
            QMetaObject::invokeMethod(popup->parent(), "close");
        settle();
    }

    void cancelDialogs(const QString& step) {
        bool any = false;
        if (QQuickItem* overlay = overlayOf(options_.window))
            for (QQuickItem* child : overlay->childItems())
                if (child->isVisible() && isDialog(child)) {
                    any = true;
                    QTest::keyClick(options_.window, Qt::Key_Escape);
                    settle();
                    if (child->isVisible())
                        finding(QStringLiteral("%1: the dialog did not close on Escape").arg(step));
                }
        if (any)
            ++dialogsCancelled_;
    }

    // ---- Activating

    // Scrolls the control into its lists' views where it lies outside.
    void bringIntoView(const QPointer<QQuickItem>& item) {
        std::vector<QPointer<QQuickItem>> flickables;
        for (QQuickItem* above = item->parentItem(); above != nullptr; above = above->parentItem())
            if (above->inherits("QQuickFlickable"))
                flickables.emplace_back(above);
        for (const QPointer<QQuickItem>& view : flickables) {
            if (!item || !view)
                return;
            const QRectF box = item->mapRectToItem(view, QRectF(0, 0, item->width(), item->height()));
            const double contentY = view->property("contentY").toDouble();
            if (box.top() < 0)
                view->setProperty("contentY", contentY + box.top());
            else if (box.bottom() > view->height())
                view->setProperty("contentY", contentY + std::min(box.top(), box.bottom() - view->height()));
            const double contentX = view->property("contentX").toDouble();
            if (box.left() < 0)
                view->setProperty("contentX", contentX + box.left());
            else if (box.right() > view->width())
                view->setProperty("contentX", contentX + std::min(box.left(), box.right() - view->width()));
            pump(std::chrono::milliseconds(30));
        }
    }

    // The point of the control a user aims at: its centre, inside every clipping ancestor.
    std::optional<QPoint> aim(QQuickItem* item) const {
        if (item->window() == nullptr)
            return std::nullopt;
        QRectF box = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        for (QQuickItem* above = item->parentItem(); above != nullptr; above = above->parentItem())
            if (above->clip())
                box &= above->mapRectToScene(QRectF(0, 0, above->width(), above->height()));
        box &= QRectF(0, 0, item->window()->width(), item->window()->height());
        if (box.width() < 2 || box.height() < 2)
            return std::nullopt;
        return box.center().toPoint();
    }

    // Points 3 pixels inside the middle of each edge of the item's visible part.
    std::vector<QPoint> edgesOf(const QPointer<QQuickItem>& item) const {
        if (!item || item->window() == nullptr || !aim(item))
            return {};
        QRectF box = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
        for (QQuickItem* above = item->parentItem(); above != nullptr; above = above->parentItem())
            if (above->clip())
                box &= above->mapRectToScene(QRectF(0, 0, above->width(), above->height()));
        const QPointF centre = box.center();
        return {QPointF(box.left() + 3, centre.y()).toPoint(), QPointF(box.right() - 3, centre.y()).toPoint(),
                QPointF(centre.x(), box.top() + 3).toPoint(),
                QPointF(centre.x(), box.bottom() - 3).toPoint()};
    }

    // Spies on the signals that tell the control took a press (or the keyboard).
    static std::vector<std::unique_ptr<QSignalSpy>> spiesOn(QObject* receiver) {
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (const char* signature : {"pressed()", "pressed(QQuickMouseEvent*)", "pressedChanged()",
                                      "doubleTapped(QEventPoint,Qt::MouseButton)",
                                      "doubleClicked(QQuickMouseEvent*)", "activeFocusChanged(bool)"}) {
            const int index = receiver->metaObject()->indexOfSignal(signature);
            if (index >= 0)
                spies.push_back(
                    std::make_unique<QSignalSpy>(receiver, receiver->metaObject()->method(index)));
        }
        return spies;
    }

    // Puts the pointer on the control (scrolled into view first), as a user aims; its point, or
    // none when no part of it shows.
    std::optional<QPoint> hover(const Control& control) {
        if (!control.item || !control.receiver)
            return std::nullopt;
        bringIntoView(control.item);
        // A control that slides in is aimed at once it rests.
        QRectF last;
        for (int sample = 0; sample < 100 && control.item; ++sample) {
            const QRectF now =
                control.item->mapRectToScene(QRectF(0, 0, control.item->width(), control.item->height()));
            if (now == last)
                break;
            last = now;
            pump(std::chrono::milliseconds(30));
        }
        if (!control.item)
            return std::nullopt;
        const std::optional<QPoint> point = aim(control.item);
        if (point) {
            hovered_ = control.key;
            QTest::mouseMove(control.item->window(), *point);
            pump(std::chrono::milliseconds(40));
        }
        return point;
    }

    // Presses where the pointer is; true when the control took it.
    bool press(const Control& control, QPoint point) {
        if (!control.item || !control.receiver)
            return false;
        const auto spies = spiesOn(control.receiver);
        QQuickWindow* window = control.item->window();
        if (window == nullptr)
            return false;
        switch (control.gesture) {
        case Gesture::click:
            QTest::mouseClick(window, Qt::LeftButton, {}, point);
            break;
        case Gesture::rightClick:
            QTest::mouseClick(window, Qt::RightButton, {}, point);
            break;
        case Gesture::doubleClick:
            QTest::mouseDClick(window, Qt::LeftButton, {}, point);
            break;
        case Gesture::type:
            QTest::mouseClick(window, Qt::LeftButton, {}, point);
            if (control.item && control.item->hasActiveFocus()) {
                // Typed, sent, then emptied and left: as a user tries a field.
                for (const char key : {'z', 'r'})
                    QTest::keyClick(window, key);
                QTest::keyClick(window, Qt::Key_Return);
                pump(std::chrono::milliseconds(40));
                if (control.item && control.item->hasActiveFocus()) {
                    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(window, Qt::Key_Backspace);
                    QTest::keyClick(window, Qt::Key_Escape);
                }
            }
            break;
        }
        return std::any_of(spies.begin(), spies.end(), [](const auto& spy) { return !spy->isEmpty(); });
    }

    bool activate(const Control& control) {
        const std::optional<QPoint> point = hover(control);
        return point && press(control, *point);
    }

    // ---- Checks after each step

    bool known(const QString& text) {
        for (const KnownFault& entry : options_.known)
            if (entry.pattern.match(text).hasMatch()) {
                const QString note = QString::fromLatin1(entry.fault);
                if (!knownSeen_.contains(note))
                    knownSeen_.append(note);
                return true;
            }
        return false;
    }

    void finding(const QString& text) {
        if (known(text))
            return;
        findings_.append(text);
        ADD_FAILURE() << text.toStdString();
    }

    static bool textFocus(QQuickWindow* window) {
        const QQuickItem* item = window->activeFocusItem();
        return item != nullptr && (item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit")) &&
               !item->property("readOnly").toBool();
    }

    void checkMessages(const QString& step) {
        // Every Qt and QML message counts (TypeError, ReferenceError, "Cannot call", binding
        // loops among them). A sanitizer report ends the process: the test fails with it.
        for (const QString& message : MessageGate::instance().takeRecent())
            finding(step + QStringLiteral(": ") + message);
    }

    // Space pauses what plays and resumes what was paused.
    void checkSpace(const QString& step, const Control* control) {
        if (!openPopups().empty() || QGuiApplication::modalWindow() != nullptr)
            return;
        QQuickWindow* window = options_.window;
        if (textFocus(window)) {
            // A field asked for it: typed into, clicked in its margin, or opened by a command
            // whose purpose that is.
            const bool asked =
                control != nullptr &&
                (control->gesture == Gesture::type || options_.focusing.match(control->key).hasMatch() ||
                 (control->item && inside(window->activeFocusItem(), control->item->parentItem())));
            if (!asked)
                finding(QStringLiteral("%1: the keyboard is left in the text field %2, where Space types")
                            .arg(step,
                                 keyOf(window->activeFocusItem(), window->activeFocusItem(), Gesture::type)));
            QTest::keyClick(window, Qt::Key_Escape);
            pump(std::chrono::milliseconds(20));
        }
        const QString before = options_.playbackState();
        const bool running = before == QLatin1String("playing") || before == QLatin1String("buffering");
        QSignalSpy changes(options_.player, QByteArray("2") + options_.playbackSignal);
        QTest::keyClick(window, Qt::Key_Space);
        ++spaceChecks_;
        // Pausing shows as paused; resuming, or trying again after a failure, as any change.
        // What fails meanwhile has nothing left to pause: a station or file that fails while it
        // connects, or a stream cut while it plays (a loaded machine can starve the local
        // server); its failure may reach the model only after the key.
        const bool toggled = pumpUntil(
            [&] {
                const QString now = options_.playbackState();
                if (running)
                    return now == QLatin1String("paused") || now == QLatin1String("failed");
                return !changes.isEmpty();
            },
            std::chrono::seconds(20));
        if (toggled && running && options_.playbackState() == QLatin1String("failed"))
            std::fprintf(stderr, "crawl: %s: playback failed around the Space check\n", qPrintable(step));
        if (!toggled)
            finding(QStringLiteral("%1: Space did not toggle playback (%2, then %3)")
                        .arg(step, before, options_.playbackState()));
    }

    void check(const QString& step, const Control* control = nullptr) {
        checkMessages(step);
        checkSpace(step, control);
        checkMessages(step + QStringLiteral(" (Space)"));
    }

    // A control that shows but does not take a click at its centre: something lies over it.
    // The window's picture, with the point marked, is kept.
    void covered(const Control& control, QPoint point) {
        QString picture;
        if (!options_.pictures.isEmpty()) {
            QImage image = control.item->window()->grabWindow();
            QPainter painter(&image);
            painter.setPen(QPen(Qt::red, 3));
            painter.drawEllipse(point, 12, 12);
            picture = options_.pictures + QStringLiteral("/covered-%1.png").arg(++coveredPictures_);
            image.save(picture);
        }
        finding(QStringLiteral("%1: a click at its centre does not reach it, something lies over it %2")
                    .arg(control.key, picture));
    }

    // ---- Exploring

    bool skip(const Control& control) {
        for (const Skipped& entry : options_.skipped)
            if (entry.objectName.match(control.key).hasMatch()) {
                if (!skippedKeys_.contains(control.key))
                    skippedKeys_.append(control.key);
                return true;
            }
        return false;
    }

    static QSet<QString> keysOf(const std::vector<Control>& controls) {
        QSet<QString> keys;
        for (const Control& control : controls)
            keys.insert(control.key);
        return keys;
    }

    // The controls a context offers now: inside the topmost popup while one is open.
    std::vector<Control> offered() const {
        std::vector<Control> controls = collect();
        const std::vector<QQuickItem*> popups = openPopups();
        if (popups.empty())
            return controls;
        std::vector<Control> inPopup;
        for (const Control& control : controls)
            if (inside(control.item, popups.back()))
                inPopup.push_back(control);
        return inPopup;
    }

    // A context the crawl is in: reached from its parent by the control `opener`, recognised
    // by the controls it brought (its markers).
    struct Frame {
        QString opener;
        QSet<QString> markers;
    };
    using Path = std::vector<Frame>;

    // Whether the first `depth` contexts of the path show: the start, then each context's
    // markers among what is offered.
    bool present(const Path& path, std::size_t depth) const {
        if (depth == 0)
            return options_.atStart() && openPopups().empty();
        for (const Control& control : offered())
            if (path[depth - 1].markers.contains(control.key))
                return true;
        return false;
    }

    // Through the openers of the path from `depth` on.
    bool replay(const Path& path, std::size_t depth) {
        for (; depth < path.size(); ++depth) {
            const QString& key = path[depth].opener;
            std::optional<Control> opener;
            for (const Control& control : offered())
                if (control.key == key)
                    opener = control;
            if (!opener || !activate(*opener))
                return false;
            settle();
            cancelDialogs(key);
            checkMessages(QStringLiteral("replaying ") + key);
        }
        return present(path, path.size());
    }

    // Back into the path's last context: from the deepest context that still shows, else from
    // the start.
    bool reach(const Path& path) {
        for (std::size_t depth = path.size(); depth-- > 1;)
            if (present(path, depth))
                return replay(path, depth) || reachFromTheStart(path);
        return reachFromTheStart(path);
    }

    bool reachFromTheStart(const Path& path) {
        closePopups();
        options_.restore();
        settle();
        return present(path, 0) && replay(path, 0);
    }

    // Controls that take away what they sit on go after their neighbours.
    static bool destructive(const Control& control) {
        static const QRegularExpression words(
            QStringLiteral("remove|delete|trash|historyClear|clearFinished"),
            QRegularExpression::CaseInsensitiveOption);
        return words.match(control.key.section(QLatin1Char('/'), -1)).hasMatch();
    }

    // Rows of one list are one kind (their names differ by numbers only): the crawl takes the
    // first few of a kind, enough for every row of its library, and no more of the rows that
    // its own steps keep adding (a playlist made by each "new playlist").
    static constexpr int rowsPerKind = 8;
    static QString kindOf(const QString& key) {
        static const QRegularExpression number(QStringLiteral("\\d+"));
        return QString(key).replace(number, QStringLiteral("#"));
    }

    // The next control of the context: the first one not yet activated. One that removes
    // something waits until everything else was crawled (so that what it removes was crawled
    // too): it is noted with the way back to it.
    std::optional<Control> pick(const std::vector<Control>& controls, const Path& path) {
        for (const Control& control : controls) {
            if (visited_.contains(control.key) ||
                (!path.empty() && !path.back().markers.contains(control.key)))
                continue;
            if (skip(control) || kinds_.value(kindOf(control.key)) >= rowsPerKind) {
                visited_.insert(control.key);
                continue;
            }
            if (!removing_ && destructive(control)) {
                if (!deferredKeys_.contains(control.key)) {
                    deferredKeys_.insert(control.key);
                    deferred_.push_back({path, control.key, hovered_});
                }
                continue;
            }
            return control;
        }
        return std::nullopt;
    }

    // Activates the control, checks, and crawls what it brings.
    void step(const Control& control, const Path& path) {
        visited_.insert(control.key);
        // What shows once the pointer rests on the control belongs to where it is (a row's
        // hover buttons); what its activation brings is a context of its own.
        const std::optional<QPoint> point = hover(control);
        const QSet<QString> before = keysOf(collect());
        if (!point) {
            lost_.append(control.key + QStringLiteral(" (no part of it shows)"));
            return;
        }
        bool pressed = press(control, *point);
        if (!pressed && control.item && control.item->isVisible() && options_.clearPassing()) {
            settle();
            const std::optional<QPoint> again = hover(control);
            pressed = again && press(control, *again);
        }
        // An area meant for the margin around what lies over its middle (a field's padding
        // around its text input) takes clicks near its edges.
        for (const QPoint& edge : edgesOf(control.item))
            if (!pressed && control.item && control.item->isVisible()) {
                QTest::mouseMove(control.item->window(), edge);
                pressed = press(control, edge);
            }
        if (!pressed) {
            if (control.item && control.item->isVisible())
                covered(control, *point);
            else
                lost_.append(control.key + QStringLiteral(" (gone when the pointer came)"));
            return;
        }
        ++activated_;
        ++kinds_[kindOf(control.key)];
        if (std::getenv("CRAWL_VERBOSE") != nullptr)
            std::fprintf(stderr, "crawl step %d: %s\n", activated_, qPrintable(control.key));
        settle();
        cancelDialogs(control.key);
        check(control.key, &control);
        QSet<QString> brought;
        for (const QString& key : keysOf(offered()))
            if (!before.contains(key) && !visited_.contains(key))
                brought.insert(key);
        if (!brought.isEmpty()) {
            Path deeper = path;
            deeper.push_back({control.key, brought});
            explore(deeper);
        }
    }

    void explore(const Path& path) {
        for (;;) {
            if (!present(path, path.size()) && !reach(path)) {
                if (path.empty())
                    finding(QStringLiteral("the crawl cannot return to its starting state: ") +
                            options_.describe());
                return;
            }
            std::optional<Control> next = pick(offered(), path);
            // At the start, views made anew may show what their own state hid.
            if (!next && path.empty()) {
                closePopups();
                options_.rebuild();
                settle();
                next = pick(offered(), path);
            }
            if (!next)
                return;
            step(*next, path);
        }
    }

    // The controls that remove something, each from where it was found.
    void removeLast() {
        removing_ = true;
        for (std::size_t index = 0; index < deferred_.size(); ++index) {
            const Deferred entry = deferred_[index];
            if (visited_.contains(entry.key))
                continue;
            if (!present(entry.path, entry.path.size()) && !reach(entry.path)) {
                lost_.append(entry.key + QStringLiteral(" (its place is gone)"));
                continue;
            }
            // Shown again where it showed: on the control the pointer rested on then.
            for (const Control& control : offered())
                if (control.key == entry.hovered)
                    hover(control);
            std::optional<Control> found;
            for (const Control& control : offered())
                if (control.key == entry.key)
                    found = control;
            if (!found) {
                lost_.append(entry.key + QStringLiteral(" (gone before its turn)"));
                continue;
            }
            step(*found, entry.path);
        }
    }

    struct Deferred {
        Path path;
        QString key;
        QString hovered; // the control the pointer rested on when it showed
    };

    Options options_;
    QSet<QString> visited_;
    QHash<QString, int> kinds_; // activations of each kind
    std::vector<Deferred> deferred_;
    QSet<QString> deferredKeys_;
    bool removing_ = false;
    QString hovered_;
    int activated_ = 0;
    int spaceChecks_ = 0;
    int dialogsCancelled_ = 0;
    int coveredPictures_ = 0;
    QStringList skippedKeys_;
    QStringList lost_;
    QStringList knownSeen_;
    QStringList findings_;
};

} // namespace ZintraRadio::testkit
