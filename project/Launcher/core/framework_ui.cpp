#include "project/Launcher/core/framework_ui.h"

#include "base/util/string_util.h"
#include "project/Launcher/core/skin_package.h"
#include "project/Launcher/core/store_hooks.h"
#include "ui/controls/control_widgets.h"
#include "ui/global_manager.h"
#include "ui/language_table.h"

namespace {

constexpr char16_t kResourceRoot[] = u"resources/";
constexpr char16_t kTheme[] = u"themes/default";

}  // namespace

void StartFrameworkUi(const std::string& language) {
  // The widget tags are known before the first layout is read.
  ui::RegisterControlWidgets();
  PrepareSkinPackage();
  ui::GlobalManager::Startup(kResourceRoot, ui::CreateControlCallback(), kTheme,
                             kbase::UTF8ToUTF16(language));
}

void ShutdownFrameworkUi() { ui::GlobalManager::Shutdown(); }

void BindFrameworkHooks(StoreHooks* hooks) {
  hooks->languageText = [](const std::string& key) {
    return ui::LanguageTable::GetInstance().GetText(kbase::UTF8ToUTF16(key));
  };
  hooks->addLanguageOverride = [](const std::string& key, const std::u16string& text) {
    ui::LanguageTable::GetInstance().SetOverrideText(kbase::UTF8ToUTF16(key), text);
  };
  hooks->readResourceFile = ReadSkinThemeFile;
  hooks->setUiChannel = [](const std::string& channel) {
    ui::GlobalManager::SetChannel(kbase::UTF8ToUTF16(channel));
  };
  // The store has opened the new package: its tables are read again.
  hooks->reloadSkin = [] { ui::GlobalManager::ReloadSkin(std::u16string(), nullptr); };
}
