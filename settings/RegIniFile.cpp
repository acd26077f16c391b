#include "settings/RegIniFile.h"

#include "settings/RegistryException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <limits>
#include <optional>
#include <sys/stat.h>

namespace {

// "\Software\Org\App\Group" -> {"Org", "App", "Group"}; the leading "Software"
// component is the registry's convention and has no counterpart here.
QStringList keyComponents(const QString& keyPath) {
    QStringList parts = keyPath.split(u'\\', Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.front().compare(u"Software", Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    return parts;
}

QString joinGroups(const QString& a, const QString& b) {
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a + u'/' + b;
}

// The store's file must exist so that a first start leaves the empty store behind.
QString createStoreFile(const QString& fileName) {
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("設定フォルダ %1 を作成できません").arg(folder);
    if (QFileInfo::exists(fileName))
        return {};
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("設定ファイル %1 を作成できません: %2")
            .arg(fileName, file.errorString());
    return {};
}

// Where QSettings keeps an organisation's application settings in the user
// scope, worked out without opening anything.
QString userStoreFile(const QString& organisation, const QString& application) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           organisation + u'/' + application + QStringLiteral(".ini");
}

// A FIFO, socket or device in the file's place would block or never end a
// read. (A folder there reads as a store that cannot be read.)
bool isSpecialFile(const QString& fileName) {
    struct stat st {};
    return ::stat(QFile::encodeName(fileName).constData(), &st) == 0 && !S_ISREG(st.st_mode) &&
           !S_ISDIR(st.st_mode);
}

std::optional<QByteArray> contentsOf(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool isUnreadable(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return false;
    QFile file(fileName);
    return !file.open(QIODevice::ReadOnly);
}

} // namespace

std::optional<int> parseStoredInteger(const QString& text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

TRegIniFile::TRegIniFile(const QString& keyPath, OpenMode mode) {
    const QStringList parts = keyComponents(keyPath);
    if (parts.size() < 2) {
        openError_ = QStringLiteral("設定のキー %1 が不正です").arg(keyPath);
        return;
    }
    keyGroup_ = parts.mid(2).join(u'/');
    fileName_ = userStoreFile(parts[0], parts[1]);
    if (isSpecialFile(fileName_)) {
        openError_ =
            QStringLiteral("設定ファイル %1 は通常のファイルではありません").arg(fileName_);
        return;
    }
    settings_ =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, parts[0], parts[1]);
    settings_->setFallbacksEnabled(false);
    fileName_ = settings_->fileName();

    if (mode == OpenMode::Create) {
        openError_ = createStoreFile(fileName_);
        if (!openError_.isEmpty()) {
            settings_.reset();
            return;
        }
        // Created after QSettings looked: let it read the (possibly new) file.
        settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                parts[0], parts[1]);
        settings_->setFallbacksEnabled(false);
    }
    readable_ = !isUnreadable(fileName_);
    open_ = true;
}

TRegIniFile::~TRegIniFile() = default;

QString TRegIniFile::groupOf(const QString& section) const {
    return joinGroups(keyGroup_, section);
}

bool TRegIniFile::SectionExists(const QString& section) const {
    if (!open_)
        return false;
    settings_->beginGroup(groupOf(section));
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists;
}

bool TRegIniFile::ValueExists(const QString& section, const QString& name) const {
    return open_ && settings_->contains(joinGroups(groupOf(section), name));
}

std::optional<QString> TRegIniFile::storedText(const QString& section, const QString& name) const {
    if (!open_)
        return std::nullopt;
    if (!readable_)
        throw ERegistryException::cannotRead(name);
    const QString key = joinGroups(groupOf(section), name);
    if (!settings_->contains(key))
        return std::nullopt;
    const QVariant value = settings_->value(key);
    if (value.typeId() != QMetaType::QString)
        throw ERegistryException::invalidDataType(name);
    QString text = value.toString();
    const qsizetype zero = text.indexOf(QChar(u'\0'));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

QString TRegIniFile::ReadString(const QString& section, const QString& name,
                                const QString& defaultValue) const {
    return storedText(section, name).value_or(defaultValue);
}

int TRegIniFile::ReadInteger(const QString& section, const QString& name, int defaultValue) const {
    const std::optional<QString> text = storedText(section, name);
    if (!text)
        return defaultValue;
    return parseStoredInteger(*text).value_or(defaultValue);
}

bool TRegIniFile::ReadBool(const QString& section, const QString& name, bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const QString& section, const QString& name, const QString& value) {
    if (!open_)
        throw ERegistryException::cannotCreateSection(section);
    const bool sectionExisted = SectionExists(section);
    const QString key = joinGroups(groupOf(section), name);
    const std::optional<QVariant> previous =
        settings_->contains(key) ? std::optional(settings_->value(key)) : std::nullopt;
    const std::optional<QByteArray> before = contentsOf(fileName_);
    settings_->setValue(key, value);
    settings_->sync();
    if (settings_->status() == QSettings::NoError && savedInFile(section, name))
        return;
    // Qt keeps one copy of the file per process and would write the failed
    // value later through any other access object: put back what the file held.
    if (previous)
        settings_->setValue(key, *previous);
    else
        settings_->remove(key);
    // A whole file that still lacks the value is one Qt read as something else
    // than it holds (random bytes) and has rewritten: a write reported as
    // failed leaves the file as it was. (A save cut short by a full disk is
    // left to the next save, which writes the whole file again.)
    const std::optional<QByteArray> after = contentsOf(fileName_);
    if (before && after && after->endsWith('\n') && after != before) {
        settings_->sync();
        QSaveFile file(fileName_);
        if (file.open(QIODevice::WriteOnly))
            file.write(*before);
        (void)file.commit();
    }
    if (!sectionExisted)
        throw ERegistryException::cannotCreateSection(section);
    throw ERegistryException::cannotWrite(name);
}

bool TRegIniFile::savedInFile(const QString& section, const QString& name) const {
    // A save cut short by a full disk can still be reported as done: check that
    // the file is whole and holds the value's line in its section.
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (!bytes.endsWith('\n'))
        return false;
    const QByteArray header = '[' + groupOf(section).toUtf8() + ']';
    const qsizetype at = bytes.startsWith(header) ? 0 : bytes.indexOf('\n' + header);
    if (at < 0)
        return false;
    const qsizetype next = bytes.indexOf("\n[", at + 1);
    const QByteArray body = bytes.mid(at, next < 0 ? -1 : next - at);
    return body.contains('\n' + name.toUtf8() + '=');
}

void TRegIniFile::WriteInteger(const QString& section, const QString& name, int value) {
    WriteString(section, name, QString::number(value));
}

void TRegIniFile::WriteBool(const QString& section, const QString& name, bool value) {
    WriteString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}
