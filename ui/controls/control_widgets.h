// Adds the tags of the widgets in this folder to the widget factory, so
// layouts can build them. The UI start-up calls it once before the first
// layout is read.
#ifndef UI_CONTROLS_CONTROL_WIDGETS_H_
#define UI_CONTROLS_CONTROL_WIDGETS_H_

namespace ui {

// "Label", "LabelBox", "Button", "ButtonBox", "CheckBox", "CheckBoxBox",
// "Option", "OptionBox", "Progress", "Slider", "CircleProgress", the lists
// ("ListBox", "VListBox", "HListBox", "TileListBox", "ListContainerElement",
// "VirtualListBox", "TreeView", "TreeNode"), "Combo" and "RichEdit". Also tells skinned windows which controls are buttons and rich
// edits.
void RegisterControlWidgets();

}  // namespace ui

#endif  // UI_CONTROLS_CONTROL_WIDGETS_H_
