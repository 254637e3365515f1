// The front-end's one stored setting: whether the menu window comes up when the CD is
// inserted. It lives at HKEY_CURRENT_USER\Software\Velmora\<application>\Zelvane.
#pragma once

#include "mfc.h"

namespace zelvane {

constexpr char kSettingsKey[] = "Velmora";
constexpr char kSettingsSection[] = "Zelvane";
constexpr char kShowEntry[] = "ShowWhenCDInserted";
constexpr int kShowDefault = 1;

// Selects the registry as the application's settings store.
inline void UseSettingsKey(CWinApp &app) { app.SetRegistryKey(kSettingsKey); }

// The stored choice; 1 when none is stored or it cannot be read.
inline int ReadShowWhenCDInserted(CWinApp &app)
{
    return static_cast<int>(app.GetProfileInt(kSettingsSection, kShowEntry, kShowDefault));
}

inline BOOL WriteShowWhenCDInserted(CWinApp &app, int show)
{
    return app.WriteProfileInt(kSettingsSection, kShowEntry, show);
}

} // namespace zelvane
