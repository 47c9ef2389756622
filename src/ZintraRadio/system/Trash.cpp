#include "system/Trash.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"

#include <QFile>
#include <QString>
#include <sys/stat.h>

namespace ZintraRadio {

namespace {

// Qt puts the file into "./files/" under the current folder when the home trash does not
// exist yet, so the home trash is made first, private as the specification wants it.
void ensureHomeTrash() {
    const auto trash = ZazidEvoz::platform::dataHomeFolder() / "Trash";
    for (const auto& folder : {trash, trash / "files", trash / "info"}) {
        std::error_code error;
        if (std::filesystem::create_directories(folder, error))
            ::chmod(folder.c_str(), 0700);
    }
}

} // namespace

TrashResult moveToTrash(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return {false, "The file does not exist."};
    ensureHomeTrash();
    QFile target(QString::fromStdString(file.string()));
    if (target.moveToTrash())
        return {true, {}};
    const QString reason = target.errorString();
    return {false, reason.isEmpty() ? std::string("The file could not be moved to the trash.")
                                    : reason.toStdString()};
}

} // namespace ZintraRadio
