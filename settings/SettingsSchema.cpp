#include "settings/SettingsSchema.h"

#include "settings/RegIniFile.h"

namespace settings {

bool isDestinationNumber(int number) {
    return number >= 1 && number <= DestinationCount;
}

QString sectionOfDestination(int number) {
    return QString::number(number - 1);
}

int destinationOfSection(const QString& s) {
    bool ok = false;
    const int index = s.toInt(&ok);
    // Only the canonical text counts: "01" or " 1" is another section.
    if (!ok || QString::number(index) != s || !isDestinationNumber(index + 1))
        return 0;
    return index + 1;
}

QChar digitKeyOfDestination(int number) {
    return QChar(u'0' + number);
}

int destinationOfDigitKey(QChar key) {
    return (key >= u'1' && key <= u'9') ? key.unicode() - u'0' : 0;
}

int toolbarTagOfDestination(int number) {
    return number - 1;
}

int destinationOfToolbarTag(int tag) {
    return isDestinationNumber(tag + 1) ? tag + 1 : 0;
}

int listRowOfDestination(int number) {
    return number - 1;
}

int gridRowOfDestination(int number) {
    return number;
}

QString defaultDescription(int number) {
    return QStringLiteral("フォルダ") + QString::number(number);
}

QString defaultDirectory() {
    return QStringLiteral("/");
}

TDestinations readDestinations(const TRegIniFile& store) {
    TDestinations result;
    for (int number = 1; number <= DestinationCount; ++number) {
        const QString section = sectionOfDestination(number);
        TDestination& d = result[static_cast<size_t>(number - 1)];
        d.Number = number;
        d.Description = store.ReadString(section, ValueDescription, defaultDescription(number));
        d.Directory = store.ReadString(section, ValueDirectory, defaultDirectory());
    }
    return result;
}

void writeDestinations(TRegIniFile& store, const TDestinations& destinations) {
    for (const TDestination& d : destinations) {
        const QString section = sectionOfDestination(d.Number);
        store.WriteString(section, ValueDescription, d.Description);
        store.WriteString(section, ValueDirectory, d.Directory);
    }
}

} // namespace settings
