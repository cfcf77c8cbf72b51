// The cluster layout of a text drawn with character spacing: the text is cut
// into lines at line feeds and each line into clusters, the pieces that must
// be drawn as one (a letter with the marks that follow it, Arabic letters
// that join each other, a surrogate pair), and the clusters of a line are put
// in the order they are placed from the left.
#ifndef UI_RENDER_TEXT_CLUSTERS_H_
#define UI_RENDER_TEXT_CLUSTERS_H_

#include <string>
#include <vector>

namespace ui {

using ClusterLine = std::vector<std::u16string>;

// True for the characters of the Arabic blocks that switch a text to the
// right-to-left cluster rules.
bool IsArabicBlockChar(char16_t c);

// The clusters of one line in reading order, without reordering.
ClusterLine SplitArabicClusters(const std::u16string& line);
ClusterLine SplitPlainClusters(const std::u16string& line);

// The lines of the text (empty lines dropped), each with its clusters in
// visual order, left to right. A text with Arabic letters is laid out right
// to left: clusters are ordered by their bidirectional embedding levels, so
// a run of digits or Latin letters inside it keeps its own order.
std::vector<ClusterLine> SplitTextClusters(const std::u16string& text);

}  // namespace ui

#endif  // UI_RENDER_TEXT_CLUSTERS_H_
