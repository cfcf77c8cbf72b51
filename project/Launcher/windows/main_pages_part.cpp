#include "project/Launcher/windows/main_pages_part.h"

#include "project/Launcher/core/launcher_store.h"
#include "project/Launcher/windows/main_form.h"

MainPagesPart::MainPagesPart()
    : carousel_([this](const std::string& key) { OpenLink(key); }),
      news_([this](const std::string& key) { OpenLink(key); }) {}

void MainPagesPart::Attach(MainForm& form) {
  store_ = &form.store();
  carousel_.Init(&form, store_->posters);
  news_.Init(&form, store_->newsCategories);
}

void MainPagesPart::Rebuild() {
  if (store_ == nullptr) return;
  carousel_.Build(store_->posters);
  news_.Build(store_->newsCategories);
}

void MainPagesPart::Detach() {
  carousel_.Stop();
  carousel_.Clear();
  news_.Clear();
  store_ = nullptr;
}

void MainPagesPart::OpenLink(const std::string& link_key) {
  if (store_ != nullptr) store_->OpenLink(link_key, true);
}
