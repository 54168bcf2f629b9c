// SPDX-License-Identifier: MIT
#include "linux/services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace Module1 {

namespace {

    // ShellExecute's own failure codes, so callers see the same numbers on every platform.
    constexpr std::intptr_t SE_ERR_OOM = 8;
    constexpr std::intptr_t SE_ERR_FNF = 2;
    constexpr std::intptr_t SE_ERR_NOASSOC = 31;
    constexpr std::intptr_t ShellOk = 42;

    // A folder owned by this user alone, and no link: one that another user made cannot hold our lock.
    bool isPrivateFolder(const std::string &path)
    {
        struct stat info { };
        return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
            && (info.st_mode & 077) == 0;
    }

} // namespace

// The session's runtime folder, whatever XDG_RUNTIME_DIR says (it is unset in some shells); where there is
// none (no logind, a service account), a folder of this user's alone in the temporary folder, made if it is
// missing, as tmux makes its own: one that is a link, or that anyone else owns or can enter, is none.
// Every copy finds the same folder however its environment is set. Empty when there is none to be had.
std::string LinuxServices::instanceFolder()
{
    const std::string runtime = "/run/user/" + std::to_string(getuid());
    if (isPrivateFolder(runtime))
        return runtime;
    const std::string own = "/tmp/zumeko-" + std::to_string(getuid());
    mkdir(own.c_str(), 0700);
    return isPrivateFolder(own) ? own : std::string();
}

// Zumeko always passes an empty working directory: a file is looked for in the current one.
std::intptr_t LinuxServices::shellExecute(
    Handle, const char *operation, const char *file, const char *, const char *, int)
{
    if (qGuiApp == nullptr)
        return SE_ERR_OOM;
    if (file == nullptr || *file == '\0' || (operation != nullptr && std::strcmp(operation, "open") != 0))
        return SE_ERR_NOASSOC;
    const QString name = QString::fromLocal8Bit(file);
    QUrl url(name, QUrl::StrictMode);
    if (url.scheme().size() < 2) { // not an address: a file, relative to the working folder
        const QFileInfo info(QDir::current(), name);
        if (!info.exists())
            return SE_ERR_FNF;
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? ShellOk : SE_ERR_NOASSOC;
}

} // namespace Module1
