#pragma once
// The UI framework's start and end in the launcher: the skin package is
// opened (a "resources.zip" beside the program, else the one carried in the
// program), the framework starts on it with "global.xml" and the language
// table of the settings' language, and the store's UI hooks are bound to the
// framework. UI thread only.

#include <string>

struct StoreHooks;

// Opens the skin package and starts the framework with |language|. The
// resource path is "resources/themes/default/".
void StartFrameworkUi(const std::string& language);
// Shuts the framework down (closes the skin package, drops its tables).
void ShutdownFrameworkUi();
// Binds the store's hooks that reach the framework: language texts and
// overrides, skin files, the UI channel and the skin reload.
void BindFrameworkHooks(StoreHooks* hooks);
