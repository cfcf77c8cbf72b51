// The poster carousel and the news tabs as a part of the main window: built
// from the store's poster and news lists when the window is made, rebuilt
// when the configuration is reloaded or the pages are refreshed, cleared
// (and the carousel's tick ended) when the window closes. A poster or a news
// line opens its link through the store's link map.
#pragma once

#include "project/Launcher/windows/main_form_part.h"
#include "project/Launcher/windows/news_tabs.h"
#include "project/Launcher/windows/poster_carousel.h"

class LauncherStore;

class MainPagesPart : public MainFormPart {
 public:
  MainPagesPart();

  void Attach(MainForm& form) override;
  void OnConfigReloaded() override { Rebuild(); }
  void OnRefreshPages() override { Rebuild(); }
  void Detach() override;

  const MainComponents::PosterCarousel& carousel() const { return carousel_; }
  const MainComponents::NewsTabs& news() const { return news_; }

 private:
  void Rebuild();
  void OpenLink(const std::string& link_key);

  LauncherStore* store_ = nullptr;
  MainComponents::PosterCarousel carousel_;
  MainComponents::NewsTabs news_;
};
