// The process-wide state of the UI framework, used on the UI thread: start-up
// and shutdown, the render factory, the resource path, language and channel,
// the skin archive reads, the probed default faces, and the shared tables of
// fonts, colours, classes and decoded images.
#ifndef UI_GLOBAL_MANAGER_H_
#define UI_GLOBAL_MANAGER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/font_info.h"
#include "ui/font_settings.h"
#include "ui/image_info.h"
#include "ui/render/i_render_factory.h"
#include "ui/skin_archive.h"

namespace ui {

class Box;
class Control;
using CreateControlCallback = std::function<Control*(const std::u16string&)>;

class GlobalManager {
 public:
  // Bounds of what is read from the skin: a layout (XML, language table) and
  // an image file.
  static constexpr uint64_t kMaxLayoutSize = SkinArchive::kMaxLayoutSize;
  static constexpr uint64_t kMaxImageFileSize = 32ull << 20;

  // Makes the render factory, sets the resource path to root + theme, keeps
  // the callback, reads the DPI from the platform (the process always adapts
  // to it), makes pango see the fonts registered so far, probes the default
  // faces, sets the language and loads its language table from the archive,
  // else from disk.
  static void Startup(const std::u16string& resource_root, const CreateControlCallback& callback,
                      const std::u16string& theme, const std::u16string& language);
  // Closes the archive, deletes the render factory, empties the window list,
  // removes all fonts, lets go of the text font map and stops the timer
  // manager's thread.
  static void Shutdown();

  // Builds "global.xml" of the resource path into the font, colour and
  // class tables; a missing or broken file leaves them as they were.
  static void LoadGlobalXml();
  // Language switch and skin repair: drops fonts, colours, classes, the
  // windows' image caches, the image cache and the layout cache, takes the
  // new resource path (an empty one keeps the current path), reads
  // "global.xml" and the current language's table again, then runs the
  // callback when one is given.
  static void ReloadSkin(const std::u16string& resource_path, const std::function<void()>& done);

  // Layout files built into new trees or into existing boxes. CreateBox and
  // FillBoxWithCache keep the parsed file in the layout cache; FillBox reads
  // it every time.
  static Control* CreateBox(const std::u16string& layout_file, const CreateControlCallback& callback);
  static void FillBox(Box* box, const std::u16string& layout_file, const CreateControlCallback& callback);
  static void FillBoxWithCache(Box* box, const std::u16string& layout_file,
                               const CreateControlCallback& callback);
  static size_t GetLayoutCacheSize();
  static void ClearLayoutCache();

  static void SetResourcePath(const std::u16string& path);
  static const std::u16string& GetResourcePath();
  static const std::u16string& GetLanguage();
  static void SetLanguage(const std::u16string& language);
  static const std::u16string& GetChannel();
  static void SetChannel(const std::u16string& channel);
  static IRenderFactory* GetRenderFactory();
  static const CreateControlCallback& GetCreateControlCallback();
  static const std::u16string& GetDefaultTextColor();
  static void SetDefaultTextColor(const std::u16string& name);
  static const std::u16string& GetDefaultDisabledTextColor();
  static void SetDefaultDisabledTextColor(const std::u16string& name);
  // Whether start-up found the face of the set (0 regular, 1 bold, 2 italic).
  static bool IsProbedFaceAvailable(FontFaceSet set, int index);

  static void CloseSkinArchive();
  // The member named by a skin path, read whole when it is at most
  // |max_size| bytes; false without an archive or for a missing member.
  static bool ReadZipEntry(const std::u16string& path, std::string* out,
                           uint64_t max_size = kMaxLayoutSize);
  // A relative path is taken under the resource path. Read from the archive
  // when it holds the member, else from disk; false when neither has it, or
  // it is larger than |max_size|.
  static bool ReadResourceFile(const std::u16string& path, std::string* out,
                               uint64_t max_size = kMaxLayoutSize);
  static std::u16string NormalizeZipPath(const std::u16string& path);

  // Fonts. An empty id becomes the number of fonts held; "system" and
  // "button" name the probed faces (the fallback face when the probe found
  // none); the size is DPI-scaled to pixels. A font whose id is already held
  // is not replaced (null is returned), but |is_default| still makes the id
  // the default.
  static HFONT AddFont(const std::u16string& font_id, const std::u16string& face_name, int size,
                       bool bold, bool underline, bool italic, bool is_default);
  // The font of the id (an empty id: the default font), or null.
  static FontInfo* GetFont(const std::u16string& font_id);
  static const std::u16string& GetDefaultFontId();
  static void RemoveAllFonts();

  // Colours: a name that is not held gives 0.
  static ARGB GetTextColor(const std::u16string& name);
  static void AddTextColor(const std::u16string& name, ARGB color);
  static void RemoveAllTextColors();

  // Classes: attribute lists by class name; the empty text when not held.
  static std::u16string GetClassAttributes(const std::u16string& name);
  static void AddClass(const std::u16string& name, const std::u16string& attributes);
  static void RemoveAllClasss();

  // Images: decoded once while some holder keeps it, again after the last
  // release. Keys are normalised paths (archive form with an archive open).
  static std::shared_ptr<ImageInfo> GetImage(const std::u16string& path);
  static std::shared_ptr<ImageInfo> GetCachedImage(const std::u16string& path);
  static void RemoveAllImages();
};

}  // namespace ui

#endif  // UI_GLOBAL_MANAGER_H_
