#pragma once

// A headless platform and a HOME, configuration, data and state folder of the
// process's own, set before the application object exists, so a test or
// benchmark run never reads or writes the real user's settings. The folder goes
// with the object.

#include <QDir>
#include <QTemporaryDir>

class PrivateHome {
public:
    explicit PrivateHome(const QString& namePrefix)
        : home_(QDir::tempPath() + "/" + namePrefix + "-XXXXXX") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!home_.isValid())
            return;
        const QByteArray root = home_.path().toUtf8();
        QDir(home_.path()).mkpath(".config");
        QDir(home_.path()).mkpath(".local/share");
        qputenv("HOME", root);
        qputenv("XDG_CONFIG_HOME", root + "/.config");
        qputenv("XDG_DATA_HOME", root + "/.local/share");
        qputenv("XDG_CACHE_HOME", root + "/.cache");
        qputenv("XDG_STATE_HOME", root + "/.local/state"); // the undo journal
        qputenv("XDG_RUNTIME_DIR", root);
    }

    [[nodiscard]] bool isValid() const { return home_.isValid(); }

private:
    QTemporaryDir home_;
};
