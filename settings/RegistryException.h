#pragma once

#include "platform/Exception.h"

// A failure of the settings store, with the store's own message texts.
class ERegistryException : public Exception {
public:
    using Exception::Exception;

    // A value exists but does not hold plain text.
    static ERegistryException invalidDataType(const QString& valueName);
    // A section (or the store itself) cannot be created.
    static ERegistryException cannotCreateSection(const QString& sectionName);
    // A value cannot be written.
    static ERegistryException cannotWrite(const QString& valueName);
    // An existing value cannot be read.
    static ERegistryException cannotRead(const QString& valueName);
};
