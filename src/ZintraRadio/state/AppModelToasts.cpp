// AppModel: the one toast on screen, the tool flags behind the tool banner, and the copy of
// the install hint.
#include "ZazidEvoz/core/ToolLocator.hpp"
#include "state/AppModel.hpp"
#include "system/Clipboard.hpp"

#include <QPointer>
#include <QtGlobal>

namespace ZintraRadio {

void AppModel::show(Toast::Style style, const std::string& text,
                    const std::optional<std::filesystem::path>& file) {
    Toast toast;
    toast.style = style;
    toast.text = text;
    toast.file = file;
    present(std::move(toast), {});
}

void AppModel::show(Toast::Style style, const std::string& text, const std::string& actionKey,
                    std::function<void()> action) {
    Toast toast;
    toast.style = style;
    toast.text = text;
    if (action)
        toast.actionKey = actionKey;
    present(std::move(toast), std::move(action));
}

void AppModel::present(Toast toast, std::function<void()> action) {
    const QUuid id = toast.id;
    const double lifetime = toast.lifetime();
    setToast(std::move(toast));
    toastAction_ = std::move(action);
    // Only this toast is cleared: a newer one, or none after the user closed it, stays.
    QPointer<AppModel> self(this);
    scheduler_->schedule(lifetime, [self, id] {
        if (self && self->toast_ && self->toast_->id == id)
            self->setToast(std::nullopt);
    });
}

void AppModel::closeToast() {
    setToast(std::nullopt);
}

void AppModel::runToastAction() {
    auto action = std::move(toastAction_);
    toastAction_ = nullptr;
    if (!action)
        return;
    closeToast();
    action();
}

void AppModel::recheckTools() {
    using ZazidEvoz::ToolLocator::Tool;
    setHasFFmpeg(ZazidEvoz::ToolLocator::isAvailable(Tool::ffmpeg));
    setHasYtDlp(ZazidEvoz::ToolLocator::isAvailable(Tool::ytdlp));
}

void AppModel::copyInstallCommand() {
    Clipboard::setText(QString::fromUtf8(ZazidEvoz::ToolLocator::installHint.data(),
                                         static_cast<qsizetype>(ZazidEvoz::ToolLocator::installHint.size())));
    show(Toast::Style::info, localizedText("toast.copied"));
}

} // namespace ZintraRadio
