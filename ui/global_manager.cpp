#include "ui/global_manager.h"

#include <pango/pango-font.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/fonts/font_probe.h"
#include "platform/system/windows_version.h"
#include "platform/window/window_api.h"
#include "ui/dpi_manager.h"
#include "ui/language_table.h"
#include "ui/layout_builder.h"
#include "ui/box.h"
#include "ui/control.h"
#include "ui/window.h"
#include "ui/registered_window_list.h"
#include "ui/render/render_factory_gdiplus.h"
#include "ui/render/text_layout.h"
#include "ui/skin_archive.h"
#include "ui/wide_text.h"
#include "ui/timer_manager.h"

namespace ui {

namespace {

// Image cache keys: shorter first, equal lengths compared from the last
// character backwards (paths of one skin share long prefixes).
struct ImageKeyLess {
  bool operator()(const std::u16string& a, const std::u16string& b) const {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = a.size(); i > 0; --i) {
      if (a[i - 1] != b[i - 1]) return a[i - 1] < b[i - 1];
    }
    return false;
  }
};

using ImageCache = std::map<std::u16string, std::weak_ptr<ImageInfo>, ImageKeyLess>;

struct FaceProbe {
  std::array<bool, 3> available{false, false, false};
};

struct State {
  std::u16string resource_path;
  std::unique_ptr<IRenderFactory> render_factory;
  CreateControlCallback create_control_callback;
  std::u16string language = u"zh_CN";
  std::u16string channel = u"AppStore";
  std::u16string default_text_color = u"textdefaultcolor";
  std::u16string default_disabled_text_color = u"textdefaultdisablecolor";
  FaceProbe system_faces;
  FaceProbe button_faces;
  std::map<std::u16string, std::unique_ptr<FontInfo>> fonts;
  std::u16string default_font_id;
  std::map<std::u16string, ARGB> colors;
  std::map<std::u16string, std::u16string> classes;
  // Parsed layout files by the name they were asked for.
  std::map<std::u16string, std::unique_ptr<LayoutBuilder>> layout_cache;
};

State& Global() {
  static State state;
  return state;
}

// Outlives every image: an image released during exit still finds it.
ImageCache& Images() {
  static ImageCache* cache = new ImageCache;
  return *cache;
}

const std::u16string& FallbackFace() {
  static const std::u16string face =
      platform::IsWindowsVersionAtLeast(0) ? std::u16string(u"\u5FAE\u8F6F\u96C5\u9ED1") : u"Arial";
  return face;
}

bool IsRelativePath(const std::u16string& path) {
  if (path.empty()) return true;
  if (path[0] == u'/' || path[0] == u'\\') return false;
  return !(path.size() >= 2 && path[1] == u':');
}

// A skin path as a path on this system's disk.
std::string DiskPath(const std::u16string& path) {
  std::u16string slashed = path;
  for (char16_t& c : slashed) {
    if (c == u'\\') c = u'/';
  }
  return Utf16ToUtf8(slashed);
}

bool ReadDiskFile(const std::u16string& path, std::string* out, uint64_t max_size) {
  const std::string disk_path = DiskPath(path);
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(disk_path, error);
  if (error || size > max_size) return false;
  std::ifstream file(disk_path, std::ios::binary);
  if (!file) return false;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
  *out = std::move(bytes);
  return true;
}

void ProbeFaces(FontFaceSet set, FaceProbe* probe) {
  const ProbedFontFaces faces = GetProbedFontFaces(set);
  const std::u16string* names[3] = {&faces.regular, &faces.bold, &faces.italic};
  for (size_t i = 0; i < 3; ++i) {
    probe->available[i] = !names[i]->empty() && platform::IsFontFacePresent(Utf16ToUtf8(*names[i]));
  }
}

// "system" and "button" become the probed face of their set for the style;
// a face the probe did not find, or an empty one, becomes the fallback.
std::u16string ResolveFace(const std::u16string& face, bool bold, bool italic) {
  FontFaceSet set;
  if (face == u"system") {
    set = FontFaceSet::kSystem;
  } else if (face == u"button") {
    set = FontFaceSet::kButton;
  } else {
    return face;
  }
  const ProbedFontFaces faces = GetProbedFontFaces(set);
  const int index = bold ? 1 : italic ? 2 : 0;
  const std::u16string& probed = index == 1 ? faces.bold : index == 2 ? faces.italic : faces.regular;
  if (probed.empty() || !GlobalManager::IsProbedFaceAvailable(set, index)) return FallbackFace();
  return probed;
}

std::u16string ImageKey(const std::u16string& path) {
  std::u16string key = NormalizeFilePath(path);
  if (SkinArchive::Get() != nullptr) key = SkinArchive::NormalizeZipPath(key);
  return key;
}

std::unique_ptr<ImageInfo> LoadImageInfo(const std::u16string& key) {
  std::string bytes;
  std::unique_ptr<ImageInfo> info;
  if (SkinArchive::Get() != nullptr &&
      GlobalManager::ReadZipEntry(key, &bytes, GlobalManager::kMaxImageFileSize)) {
    info = ImageInfo::FromBytes(bytes, key);
  }
  if (!info && ReadDiskFile(key, &bytes, GlobalManager::kMaxImageFileSize)) {
    info = ImageInfo::FromBytes(bytes, key);
  }
  return info;
}

void ReleaseImage(ImageInfo* image) {
  if (image->bCached) {
    ImageCache& cache = Images();
    auto it = cache.find(image->sImageFullPath);
    // A newer image of the same path may have taken the entry since.
    if (it != cache.end() && it->second.expired()) cache.erase(it);
  }
  delete image;
}

}  // namespace

FontInfo::~FontInfo() {
  if (hFont != nullptr) pango_font_description_free(hFont);
}

void GlobalManager::Startup(const std::u16string& resource_root, const CreateControlCallback& callback,
                            const std::u16string& theme, const std::u16string& language) {
  State& g = Global();
  g.render_factory = std::make_unique<RenderFactory_GdiPlus>();
  SetResourcePath(resource_root + theme);
  g.create_control_callback = callback;

  DpiManager* dpi = DpiManager::GetInstance();
  if (!dpi->IsAdaptDpi()) dpi->SetAdaptDPI(true);
  dpi->SetScaleFromDpi(platform::GetDpiForSystem());

  // Fonts the installer registered before start-up become visible to text.
  TextLayout::RefreshFontMap();
  ProbeFaces(FontFaceSet::kSystem, &g.system_faces);
  ProbeFaces(FontFaceSet::kButton, &g.button_faces);

  LoadGlobalXml();

  g.language = language;
  const std::u16string table = resource_root + u"lang\\" + language + u".ini";
  if (SkinArchive::Get() != nullptr) {
    std::string bytes;
    if (ReadZipEntry(table, &bytes)) LanguageTable::GetInstance().LoadFromMemory(bytes);
  } else {
    LanguageTable::GetInstance().LoadFromFile(Utf8ToUtf16(DiskPath(table)));
  }
}

void GlobalManager::Shutdown() {
  CloseSkinArchive();
  Global().render_factory.reset();
  RegisteredWindowList::GetInstance().Clear();
  RemoveAllFonts();
  ClearLayoutCache();
  TextLayout::ReleaseFontMap();
  TimerManager::GetInstance()->Shutdown();
}

void GlobalManager::LoadGlobalXml() {
  // The window only lets the builder take the "Global" root; no control is
  // built from this file.
  Window window;
  LayoutBuilder builder;
  Control* built = builder.Create(u"global.xml", CreateControlCallback(), &window);
  delete built;
}

void GlobalManager::ReloadSkin(const std::u16string& resource_path, const std::function<void()>& done) {
  RemoveAllFonts();
  RemoveAllTextColors();
  RemoveAllClasss();
  for (const RegisteredWindowList::Entry& entry : RegisteredWindowList::GetInstance().entries()) {
    if (entry.window != nullptr && entry.window->GetRoot() != nullptr) {
      entry.window->GetRoot()->ClearImageCache();
    }
  }
  RemoveAllImages();
  // Layouts parsed from the old skin must not outlive it.
  ClearLayoutCache();
  if (!resource_path.empty()) SetResourcePath(resource_path);
  LoadGlobalXml();

  const std::u16string table = u"resources/lang/" + Global().language + u".ini";
  if (SkinArchive::Get() != nullptr) {
    std::string bytes;
    if (ReadZipEntry(table, &bytes)) LanguageTable::GetInstance().LoadFromMemory(bytes);
  } else {
    LanguageTable::GetInstance().LoadFromFile(u"./" + table);
  }
  if (done) done();
}

Control* GlobalManager::CreateBox(const std::u16string& layout_file, const CreateControlCallback& callback) {
  auto& cache = Global().layout_cache;
  auto it = cache.find(layout_file);
  if (it != cache.end()) return it->second->CreateFromRoot(callback);
  auto builder = std::make_unique<LayoutBuilder>();
  Control* built = builder->Create(layout_file, callback);
  if (built != nullptr) cache.emplace(layout_file, std::move(builder));
  return built;
}

void GlobalManager::FillBox(Box* box, const std::u16string& layout_file, const CreateControlCallback& callback) {
  if (box == nullptr) return;
  LayoutBuilder builder;
  builder.Create(layout_file, callback, box->GetWindow(), nullptr, box);
}

void GlobalManager::FillBoxWithCache(Box* box, const std::u16string& layout_file,
                                     const CreateControlCallback& callback) {
  if (box == nullptr) return;
  auto& cache = Global().layout_cache;
  auto it = cache.find(layout_file);
  if (it != cache.end()) {
    it->second->CreateFromRoot(callback, box->GetWindow(), nullptr, box);
    return;
  }
  auto builder = std::make_unique<LayoutBuilder>();
  if (builder->Create(layout_file, callback, box->GetWindow(), nullptr, box) != nullptr) {
    cache.emplace(layout_file, std::move(builder));
  }
}

size_t GlobalManager::GetLayoutCacheSize() { return Global().layout_cache.size(); }

void GlobalManager::ClearLayoutCache() { Global().layout_cache.clear(); }

void GlobalManager::SetResourcePath(const std::u16string& path) {
  std::u16string& stored = Global().resource_path;
  stored = path;
  if (!stored.empty() && stored.back() != u'\\' && stored.back() != u'/') stored.push_back(u'\\');
}

const std::u16string& GlobalManager::GetResourcePath() { return Global().resource_path; }
const std::u16string& GlobalManager::GetLanguage() { return Global().language; }
void GlobalManager::SetLanguage(const std::u16string& language) { Global().language = language; }
const std::u16string& GlobalManager::GetChannel() { return Global().channel; }
void GlobalManager::SetChannel(const std::u16string& channel) { Global().channel = channel; }
IRenderFactory* GlobalManager::GetRenderFactory() { return Global().render_factory.get(); }

const CreateControlCallback& GlobalManager::GetCreateControlCallback() {
  return Global().create_control_callback;
}

const std::u16string& GlobalManager::GetDefaultTextColor() { return Global().default_text_color; }
void GlobalManager::SetDefaultTextColor(const std::u16string& name) { Global().default_text_color = name; }

const std::u16string& GlobalManager::GetDefaultDisabledTextColor() {
  return Global().default_disabled_text_color;
}

void GlobalManager::SetDefaultDisabledTextColor(const std::u16string& name) {
  Global().default_disabled_text_color = name;
}

bool GlobalManager::IsProbedFaceAvailable(FontFaceSet set, int index) {
  if (index < 0 || index > 2) return false;
  const FaceProbe& probe = set == FontFaceSet::kSystem ? Global().system_faces : Global().button_faces;
  return probe.available[static_cast<size_t>(index)];
}

void GlobalManager::CloseSkinArchive() { SkinArchive::Close(); }

bool GlobalManager::ReadZipEntry(const std::u16string& path, std::string* out, uint64_t max_size) {
  return SkinArchive::ReadEntry(path, out, max_size);
}

bool GlobalManager::ReadResourceFile(const std::u16string& path, std::string* out, uint64_t max_size) {
  std::u16string full = IsRelativePath(path) ? Global().resource_path + path : path;
  full = NormalizeFilePath(full);
  if (SkinArchive::Get() != nullptr && SkinArchive::ReadEntry(full, out, max_size)) return true;
  return ReadDiskFile(full, out, max_size);
}

std::u16string GlobalManager::NormalizeZipPath(const std::u16string& path) {
  return SkinArchive::NormalizeZipPath(path);
}

HFONT GlobalManager::AddFont(const std::u16string& font_id, const std::u16string& face_name, int size,
                             bool bold, bool underline, bool italic, bool is_default) {
  State& g = Global();
  const std::u16string id = font_id.empty() ? Utf8ToUtf16(std::to_string(g.fonts.size())) : font_id;
  const std::u16string face = ResolveFace(face_name, bold, italic);
  const int pixels = DpiManager::GetInstance()->ScaleInt(size);

  HFONT result = nullptr;
  if (g.fonts.find(id) == g.fonts.end()) {
    auto info = std::make_unique<FontInfo>();
    info->hFont = pango_font_description_new();
    pango_font_description_set_family(info->hFont, Utf16ToUtf8(face).c_str());
    pango_font_description_set_absolute_size(info->hFont, static_cast<double>(pixels) * PANGO_SCALE);
    // A bold font asks for the bold face of the family.
    pango_font_description_set_weight(info->hFont, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(info->hFont, italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    info->sFontName = face;
    info->iSize = pixels;
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    result = info->hFont;
    g.fonts.emplace(id, std::move(info));
  }
  if (is_default) g.default_font_id = id;
  return result;
}

FontInfo* GlobalManager::GetFont(const std::u16string& font_id) {
  State& g = Global();
  auto it = g.fonts.find(font_id.empty() ? g.default_font_id : font_id);
  return it == g.fonts.end() ? nullptr : it->second.get();
}

const std::u16string& GlobalManager::GetDefaultFontId() { return Global().default_font_id; }

void GlobalManager::RemoveAllFonts() { Global().fonts.clear(); }

ARGB GlobalManager::GetTextColor(const std::u16string& name) {
  const auto& colors = Global().colors;
  auto it = colors.find(name);
  return it == colors.end() ? 0 : it->second;
}

void GlobalManager::AddTextColor(const std::u16string& name, ARGB color) { Global().colors[name] = color; }

void GlobalManager::RemoveAllTextColors() { Global().colors.clear(); }

std::u16string GlobalManager::GetClassAttributes(const std::u16string& name) {
  const auto& classes = Global().classes;
  auto it = classes.find(name);
  return it == classes.end() ? std::u16string() : it->second;
}

void GlobalManager::AddClass(const std::u16string& name, const std::u16string& attributes) {
  Global().classes[name] = attributes;
}

void GlobalManager::RemoveAllClasss() { Global().classes.clear(); }

std::shared_ptr<ImageInfo> GlobalManager::GetImage(const std::u16string& path) {
  const std::u16string key = ImageKey(path);
  ImageCache& cache = Images();
  auto it = cache.find(key);
  if (it != cache.end()) {
    if (std::shared_ptr<ImageInfo> alive = it->second.lock()) return alive;
  }
  std::unique_ptr<ImageInfo> loaded = LoadImageInfo(key);
  if (!loaded) return nullptr;
  loaded->sImageFullPath = key;
  loaded->bCached = true;
  std::shared_ptr<ImageInfo> shared(loaded.release(), ReleaseImage);
  cache[key] = shared;
  return shared;
}

std::shared_ptr<ImageInfo> GlobalManager::GetCachedImage(const std::u16string& path) {
  const ImageCache& cache = Images();
  auto it = cache.find(NormalizeFilePath(path));
  return it == cache.end() ? nullptr : it->second.lock();
}

void GlobalManager::RemoveAllImages() { Images().clear(); }

}  // namespace ui
