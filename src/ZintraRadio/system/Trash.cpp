#include "system/Trash.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"

#include <QFile>
#include <QString>
#include <climits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace ZintraRadio {

namespace {

// Qt puts the file into "./files/" under the current folder when the home trash does not
// exist yet, so the home trash is made first, readable by its owner only (mode 0700).
void ensureHomeTrash() {
    const auto trash = ZazidEvoz::platform::dataHomeFolder() / "Trash";
    for (const auto& folder : {trash, trash / "files", trash / "info"}) {
        std::error_code error;
        if (std::filesystem::create_directories(folder, error))
            ::chmod(folder.c_str(), 0700);
    }
}

// Qt names the info file "<name>.trashinfo", or "<name>-NNNN.trashinfo" when the name is
// taken, and retries for as long as that file cannot be created: a name too long for it, or
// an info folder that cannot be written, would spin forever instead of failing. The reason
// it cannot, or nothing.
std::optional<std::string> whyTrashRefuses(const std::filesystem::path& file) {
    constexpr std::size_t infoSuffixBytes = std::char_traits<char>::length("-0000.trashinfo");
    if (file.filename().native().size() + infoSuffixBytes > NAME_MAX)
        return "The file name is too long for the trash.";
    const auto info = ZazidEvoz::platform::dataHomeFolder() / "Trash" / "info";
    if (::access(info.c_str(), W_OK) != 0)
        return "The trash cannot be written.";
    return std::nullopt;
}

} // namespace

TrashResult moveToTrash(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return {false, "The file does not exist."};
    ensureHomeTrash();
    if (auto reason = whyTrashRefuses(file))
        return {false, *reason};
    QFile target(QString::fromStdString(file.string()));
    if (target.moveToTrash())
        return {true, {}};
    const QString reason = target.errorString();
    return {false, reason.isEmpty() ? std::string("The file could not be moved to the trash.")
                                    : reason.toStdString()};
}

} // namespace ZintraRadio
