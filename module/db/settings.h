// System and per-user settings (text values; a stored value is true unless it is "0")
// and the suite's enumerations.
#pragma once

#include "kx_mrp/environment.h"

#include <QList>
#include <QString>

namespace kx {

class TQuery;

// The query the settings and enumeration routines run on (on the shared connection).
TQuery& SettingsQuery();

// Sets value from the stored row (also when empty); leaves the default when there is no
// row, and for user settings when no user is logged in.
void ReadSetting(const QString& setClass, const QString& key, QString& value, bool isSystem,
                 const QString& defaultValue = QString());
bool ReadSettingBool(const QString& setClass, const QString& key, bool isSystem, bool defaultValue);
int ReadSettingInt(const QString& setClass, const QString& key, bool isSystem, int defaultValue);
// User settings are written only when a user is logged in.
void WriteSetting(const QString& setClass, const QString& key, bool isSystem, const QString& value);
void WriteSettingInt(const QString& setClass, const QString& key, bool isSystem, int value);

// (name, ID) pairs of an enumeration class ordered by ID, read once per class and kept
// in the host's cache (or the module's own when the host has none).
const QList<TEnumItem>& GetEnumList(const QString& enumClass);
// The name of the ID, or "(" + ID + ")" when the class or the ID is absent.
bool GetEnumText(const QString& enumClass, int id, QString& text);
QString EnumText(const QString& enumClass, int id);
bool EnumHasValue(const QString& enumClass, int id);

} // namespace kx
