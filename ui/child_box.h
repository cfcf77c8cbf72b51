// A box whose children come from another layout file ("xmlfile"), built when
// the box first gets its window. A file that is already being built further
// up (a child layout that includes itself, directly or through others)
// builds nothing, instead of recursing until the stack runs out.
#ifndef UI_CHILD_BOX_H_
#define UI_CHILD_BOX_H_

#include <string>

#include "ui/box.h"

namespace ui {

class ChildBox : public Box {
 public:
  ChildBox() = default;

  void Init() override;
  void SetAttribute(const std::u16string& name, const std::u16string& value) override;

  const std::u16string& GetChildLayoutXML() const { return xml_file_; }
  void SetChildLayoutXML(const std::u16string& file) { xml_file_ = file; }

 private:
  std::u16string xml_file_;
  bool built_ = false;
};

}  // namespace ui

#endif  // UI_CHILD_BOX_H_
