#pragma once

// The typed errors of the plug-in host. Each message names the plug-in file
// concerned, so the standard error box tells the user which file is at fault.

#include "platform/Exception.h"

// The file could not be loaded as a shared object at all.
class ESPIFOpenErrorSPI : public Exception {
public:
    explicit ESPIFOpenErrorSPI(const QString& fileName);
};

// The file loaded but lacks an export its kind needs. missingExport() tells
// which one, for the log; the message itself only names the file.
class ESPIInvalidSPI : public Exception {
public:
    ESPIInvalidSPI(const QString& fileName, const QString& missingExport);
    [[nodiscard]] const QString& missingExport() const { return missingExport_; }

private:
    QString missingExport_;
};

// An operation was asked of a plug-in that does not offer that export.
class ESPIInvalidAPI : public Exception {
public:
    ESPIInvalidAPI(const QString& exportName, const QString& fileName);
};

// A second plug-in collection was created.
class ESPIDupCreateSPIs : public Exception {
public:
    ESPIDupCreateSPIs();
};

// A plug-in raised an exception of its own while the host read its texts. The
// plug-in is unloaded before the error travels on, so its own exception object
// (whose code lives in the plug-in) is replaced by this one, carrying its text.
class ESPIPluginRaised : public Exception {
public:
    ESPIPluginRaised(const QString& fileName, const QString& reason);
};

// An index outside the collection's list.
class EListError : public Exception {
public:
    explicit EListError(qsizetype index);
};
