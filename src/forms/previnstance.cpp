// SPDX-License-Identifier: MIT
#include "previnstance.h"

#include "formstesting.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace Forms {

namespace {

    std::unique_ptr<QLockFile> &instanceLock()
    {
        static std::unique_ptr<QLockFile> lock;
        return lock;
    }

} // namespace

bool PrevInstance(const QString &folder, const QString &display)
{
    auto &held = instanceLock();
    if (held)
        return false; // the lock is ours: this is the first copy
    const QString base
        = folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) : folder;
    // Without a lock the rule is off: the start goes on, and says so rather than letting a second copy
    // slip by unnoticed.
    const auto noLock = [&base] {
        qWarning("zumeko: no lock can be had in \"%s\", so another copy on this display goes unseen",
            qUtf8Printable(base));
        return false;
    };
    if (base.isEmpty() || !QDir().mkpath(base))
        return noLock();
    // One lock a display, and a name that is a plain file name whatever the display is called.
    const QString name = QString::fromLatin1(display.toUtf8().toPercentEncoding().replace('%', '_'));
    auto lock = std::make_unique<QLockFile>(base + u"/zumeko-"_s + name + u".lock"_s);
    // A lock is stale only when the copy that took it is gone, never because it is old: then a copy that
    // was killed frees the way at once, and a long-running one is never taken for dead. A lock that names
    // this very process was left by another that had its number before (process numbers come round).
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    if (lock->getLockInfo(&pid, nullptr, nullptr) && pid == QCoreApplication::applicationPid())
        lock->removeStaleLockFile();
    if (lock->tryLock(0)) {
        held = std::move(lock);
        return false;
    }
    if (lock->error() != QLockFile::LockFailedError)
        return noLock();
    return true;
}

void ReleaseInstanceLock()
{
    instanceLock().reset();
}

} // namespace Forms
