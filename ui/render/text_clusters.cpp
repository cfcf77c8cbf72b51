#include "ui/render/text_clusters.h"

#include <glib.h>
#include <pango/pango.h>

#include <algorithm>
#include <utility>

#include "platform/text/utf_conversion.h"

namespace ui {
namespace {

// Contextual forms of the Arabic letters U+0621..U+063A and U+0640..U+064A.
enum ArabicForms : unsigned { kIsolated = 1, kInitial = 2, kMedial = 4, kFinal = 8 };

bool IsTableLetter(char16_t c) {
  return (c >= 0x0621 && c <= 0x063A) || (c >= 0x0640 && c <= 0x064A);
}

unsigned FormsOf(char16_t c) {
  if (!IsTableLetter(c) || c == 0x0621) return 0;
  if (c == 0x0640) return kIsolated;
  switch (c) {
    case 0x0622: case 0x0623: case 0x0624: case 0x0625: case 0x0627: case 0x0629:
    case 0x062F: case 0x0630: case 0x0631: case 0x0632: case 0x0648: case 0x0649:
      return kIsolated | kFinal;
    default:
      return kIsolated | kInitial | kMedial | kFinal;
  }
}

bool IsArabicDiacritic(char16_t c) {
  return c == 0x0610 || (c >= 0x0612 && c <= 0x0615) || (c >= 0x064B && c <= 0x0658) ||
         c == 0x0670 || (c >= 0x06D6 && c <= 0x06DC) || (c >= 0x06DF && c <= 0x06E4) ||
         c == 0x06E7 || c == 0x06E8 || (c >= 0x06EA && c <= 0x06ED);
}

// Thai vowel and tone marks that sit on the letter before them, SARA AM
// (U+0E33) included: it carries the NIKHAHIT above that letter.
bool IsThaiMark(char16_t c) {
  return c == 0x0E31 || (c >= 0x0E33 && c <= 0x0E3A) || (c >= 0x0E47 && c <= 0x0E4E);
}

bool IsGenericCombiningMark(char16_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x200D;
}

// A character that is drawn on the character before it, never alone.
bool IsMark(char16_t c) { return IsArabicDiacritic(c) || IsThaiMark(c) || IsGenericCombiningMark(c); }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The code units of the code point at |i|: 2 for a surrogate pair, else 1.
size_t CodePointLength(const std::u16string& text, size_t i) {
  return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

// A cluster made of marks only is drawn on the cluster before it.
ClusterLine MergeLoneMarks(ClusterLine clusters) {
  ClusterLine merged;
  for (std::u16string& cluster : clusters) {
    const bool only_marks = std::all_of(cluster.begin(), cluster.end(), IsMark);
    if (only_marks && !merged.empty()) {
      merged.back() += cluster;
    } else {
      merged.push_back(std::move(cluster));
    }
  }
  return merged;
}

std::vector<std::u16string> SplitAtLineFeeds(const std::u16string& text) {
  std::vector<std::u16string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// The number of code points in UTF-8 text: the bytes that start one.
size_t CountCodePoints(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Puts the clusters of a right-to-left line in visual order: each cluster
// takes the embedding level of its first character, and from the highest
// level down to the lowest odd one every run at that level or above is
// reversed, so a run of digits or Latin letters keeps its order.
ClusterLine OrderByLevels(ClusterLine clusters) {
  if (clusters.empty()) return clusters;
  std::string utf8;
  std::vector<size_t> first_char;
  size_t chars = 0;
  for (const std::u16string& cluster : clusters) {
    first_char.push_back(chars);
    // A lone surrogate becomes one U+FFFD: one character either way.
    const std::string piece = platform::UTF16ToUTF8(cluster);
    chars += CountCodePoints(piece);
    utf8 += piece;
  }
  PangoDirection direction = PANGO_DIRECTION_RTL;
  guint8* char_levels =
      pango_log2vis_get_embedding_levels(utf8.data(), static_cast<int>(utf8.size()), &direction);
  std::vector<int> levels;
  for (size_t start : first_char) levels.push_back(char_levels != nullptr ? char_levels[start] : 1);
  g_free(char_levels);

  const int highest = *std::max_element(levels.begin(), levels.end());
  int lowest_odd = *std::min_element(levels.begin(), levels.end());
  if (lowest_odd % 2 == 0) ++lowest_odd;
  for (int level = highest; level >= lowest_odd; --level) {
    size_t i = 0;
    while (i < clusters.size()) {
      if (levels[i] < level) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < clusters.size() && levels[end] >= level) ++end;
      std::reverse(clusters.begin() + static_cast<std::ptrdiff_t>(i),
                   clusters.begin() + static_cast<std::ptrdiff_t>(end));
      std::reverse(levels.begin() + static_cast<std::ptrdiff_t>(i),
                   levels.begin() + static_cast<std::ptrdiff_t>(end));
      i = end;
    }
  }
  return clusters;
}

}  // namespace

bool IsArabicBlockChar(char16_t c) {
  return (c >= 0x0600 && c <= 0x06FF) || (c >= 0x0750 && c <= 0x077F);
}

ClusterLine SplitArabicClusters(const std::u16string& line) {
  ClusterLine clusters;
  const size_t n = line.size();
  size_t open = 0;  // start of the open cluster
  auto emit = [&](size_t from, size_t to) {  // [from, to]
    if (from <= to && to < n) clusters.push_back(line.substr(from, to - from + 1));
  };
  size_t i = 0;
  while (i < n) {
    const char16_t d = line[i];
    if (!IsTableLetter(d)) {
      const size_t length = CodePointLength(line, i);
      if (open < i && IsArabicDiacritic(d)) {
        ++i;
        continue;
      }
      if (open < i) emit(open, i - 1);
      emit(i, i + length - 1);
      i += length;
      open = i;
      continue;
    }
    // The letter before (f) and after (g), diacritics skipped.
    bool has_f = false;
    for (size_t k = i; k > 0; --k) {
      const char16_t before = line[k - 1];
      if (IsArabicDiacritic(before)) continue;
      has_f = (FormsOf(before) & (kInitial | kMedial)) != 0;
      break;
    }
    size_t g_pos = n;
    for (size_t k = i + 1; k < n; ++k) {
      if (IsArabicDiacritic(line[k])) continue;
      const char16_t after = line[k];
      if ((FormsOf(after) & (kMedial | kFinal)) != 0 || after == 0x0640) g_pos = k;
      break;
    }
    const bool has_g = g_pos < n;
    if (d == 0x0644 && has_g &&
        (line[g_pos] == 0x0622 || line[g_pos] == 0x0623 || line[g_pos] == 0x0625 ||
         line[g_pos] == 0x0627)) {
      // Lam-alef is one ligature: the open cluster, the lam, and the alef with
      // any diacritics between them.
      emit(open, g_pos);
      i = g_pos + 1;
      open = i;
      continue;
    }
    const unsigned forms = FormsOf(d);
    if (has_f) {
      if (has_g && (forms & kMedial) != 0) {
        ++i;
        continue;
      }
      if ((forms & kFinal) != 0) {
        emit(open, i);
        ++i;
        open = i;
        continue;
      }
    }
    if (has_g && (forms & kInitial) != 0) {
      ++i;
      continue;
    }
    // A letter that joins nothing further closes the open cluster with it (a
    // tatweel after a letter that continues into it).
    emit(open, i);
    ++i;
    open = i;
  }
  if (open < n) emit(open, n - 1);
  return MergeLoneMarks(std::move(clusters));
}

ClusterLine SplitPlainClusters(const std::u16string& line) {
  ClusterLine clusters;
  size_t i = 0;
  while (i < line.size()) {
    size_t end = i + CodePointLength(line, i);
    while (end < line.size() && IsMark(line[end])) ++end;
    clusters.push_back(line.substr(i, end - i));
    i = end;
  }
  return MergeLoneMarks(std::move(clusters));
}

std::vector<ClusterLine> SplitTextClusters(const std::u16string& text) {
  std::vector<ClusterLine> lines;
  const bool arabic = std::any_of(text.begin(), text.end(), IsArabicBlockChar);
  for (const std::u16string& piece : SplitAtLineFeeds(text)) {
    if (arabic) {
      lines.push_back(OrderByLevels(SplitArabicClusters(piece)));
    } else {
      lines.push_back(SplitPlainClusters(piece));
    }
  }
  return lines;
}

}  // namespace ui
