// Turns a skin XML layout into a tree of controls. The root element sets up
// the window ("Window") or the shared tables ("Global": fonts, text colours,
// classes); every other element becomes a control made by the widget factory
// or by a create-control callback, gets its attributes in document order,
// its "Event"/"BubbledEvent" handlers and its children, and is added to its
// parent box. "Include" builds another layout file into the same parent.
//
// Layouts come from the skin, which a user or an update may replace, so the
// builder bounds what a layout can make it do: an include chain never
// revisits a file that is being built, nests at most kMaxIncludeDepth files
// deep, repeats at most kMaxIncludeCount times per element and at most
// kMaxIncludeBuilds times per top-level build, and an over-long source name
// is refused rather than cut into another name. UI thread only.
#ifndef UI_LAYOUT_BUILDER_H_
#define UI_LAYOUT_BUILDER_H_

#include <string>

#include "ui/global_manager.h"
#include "ui/markup_document.h"

namespace ui {

class Box;
class Control;
class Window;

class LayoutBuilder {
 public:
  static constexpr int kMaxIncludeDepth = 16;
  static constexpr int kMaxIncludeCount = 1000;
  static constexpr int kMaxIncludeBuilds = 10000;
  // The longest "source" of an "Include" that is used.
  static constexpr size_t kMaxSourceLength = 499;

  LayoutBuilder() = default;
  LayoutBuilder(const LayoutBuilder&) = delete;
  LayoutBuilder& operator=(const LayoutBuilder&) = delete;

  // |layout| is XML text when it starts with "<", else a file name relative
  // to the resource path (read from the skin archive, else from disk). The
  // result: the box when |box| is given and the layout has a first control
  // element, else the first top-level control built, or null.
  Control* Create(const std::u16string& layout, const CreateControlCallback& callback,
                  Window* window = nullptr, Box* parent = nullptr, Box* box = nullptr);
  // The same build from the document already loaded.
  Control* CreateFromRoot(const CreateControlCallback& callback, Window* window = nullptr,
                          Box* parent = nullptr, Box* box = nullptr);
  // Builds the children of |element| under |parent|; the first control kept
  // at this level.
  Control* ParseChildren(MarkupNode element, Control* parent, Window* window);
  // A new control of the tag from the widget factory, or null.
  static Control* CreateControlByClass(const std::u16string& tag);
  // Attaches the handlers of an "Event" (or, |bubbled|, "BubbledEvent")
  // element to |control|.
  static void AttachXmlEvent(bool bubbled, MarkupNode element, Control* control);

  MarkupDocument& GetDocument() { return document_; }

  // True while the layout file is being built by an outer build (a file
  // that includes itself, directly or through others).
  static bool IsFileOnChain(const std::u16string& file);

  // Marks a layout file as being built for as long as it lives; false from
  // Entered() when the file is already on the chain or the chain is full.
  class ChainEntry {
   public:
    explicit ChainEntry(const std::u16string& file);
    ~ChainEntry();
    ChainEntry(const ChainEntry&) = delete;
    ChainEntry& operator=(const ChainEntry&) = delete;
    bool Entered() const { return entered_; }

   private:
    bool entered_ = false;
  };

 private:
  bool Load(const std::u16string& layout);
  void ApplyGlobalRoot(MarkupNode root);
  void ApplyWindowRoot(MarkupNode root, Window* window);
  void BuildInclude(MarkupNode element, Control* parent, Window* window);
  Control* CreateControlForTag(const std::u16string& tag);

  MarkupDocument document_;
  CreateControlCallback callback_;
};

}  // namespace ui

#endif  // UI_LAYOUT_BUILDER_H_
