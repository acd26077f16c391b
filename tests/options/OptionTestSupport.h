#pragma once

#include "../settings/SettingsTestSupport.h"
#include "dialogs/Option.h"
#include "dialogs/RadioGroup.h"
#include "dialogs/StringGrid.h"
#include "settings/RegIniFile.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What the settings file holds, as "group/name" -> text. Read through a copy:
// Qt shares one in-memory view per settings file across the process, and that
// view may hold changes that never reached the disk.
inline QMap<QString, QString> storedValues() {
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.ini");
    QMap<QString, QString> values;
    if (!QFile::copy(storeFile(), copy))
        return values;
    QSettings ini(copy, QSettings::IniFormat);
    for (const QString& key : ini.allKeys())
        values.insert(key, ini.value(key).toString());
    return values;
}

// Every test starts without a settings file and leaves none behind.
class OptionTest : public ::testing::Test {
protected:
    void SetUp() override { removeStore(); }
    void TearDown() override {
        // A failed write stays pending in Qt's shared view of the file and
        // would reach the next test's file; let it land here, then remove it.
        { TRegIniFile flush(settings::KeyPath); }
        removeStore();
    }

    static QString description(const TfrmOption& dialog, int number) {
        return dialog.grdDirectory->cellText(number, TfrmOption::DescriptionColumn);
    }
    static QString directory(const TfrmOption& dialog, int number) {
        return dialog.grdDirectory->cellText(number, TfrmOption::DirectoryColumn);
    }

    ScriptedPrompter prompter;
};
