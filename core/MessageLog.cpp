#include "core/MessageLog.h"

void MessageLog::add(const QString& text) {
    for (const QString& line : text.split(u'\n')) {
        while (lines_.size() > KeptLines)
            lines_.removeFirst();
        lines_.append(line);
    }
}
