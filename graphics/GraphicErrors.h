#pragma once

// The error every picture type raises when it cannot load a file or stream.
// Whoever holds a picture keeps it untouched when a load raises this.

#include "platform/Exception.h"

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
