// Writes the C++ source that carries the launcher's four fonts inside the
// program. The fonts are made here, not copied from anywhere: small TrueType
// files with the launcher's face names, a box for the missing glyph and a
// space. Every other character falls back to the system's fonts, so text is
// still drawn while the faces the skins name exist and can be installed.
//
//   font_maker <output.cpp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}
void Put32(Bytes& out, uint32_t value) {
  Put16(out, value >> 16);
  Put16(out, value & 0xFFFF);
}
void PutTag(Bytes& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

uint32_t TableChecksum(const Bytes& table) {
  uint32_t sum = 0;
  for (size_t i = 0; i < table.size(); i += 4) {
    uint32_t word = 0;
    for (size_t j = 0; j < 4; ++j) word = (word << 8) | (i + j < table.size() ? table[i + j] : 0);
    sum += word;
  }
  return sum;
}

// UTF-8 to UTF-16 big-endian, for the name table.
Bytes Utf16BigEndian(const std::string& text) {
  Bytes out;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = static_cast<uint8_t>(text[i]);
    size_t extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    if (extra > 0) c &= (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      Put16(out, 0xD800 + (c >> 10));
      Put16(out, 0xDC00 + (c & 0x3FF));
    } else {
      Put16(out, c);
    }
  }
  return out;
}

struct FontSpec {
  int resource;
  std::string family;
  std::string subfamily;
  std::string postscript;
  bool bold;
};

constexpr int kUnitsPerEm = 1000;

Bytes MakeHead(bool bold) {
  Bytes t;
  Put32(t, 0x00010000);  // version
  Put32(t, 0x00010000);  // font revision
  Put32(t, 0);           // checksum adjustment, filled in at the end
  Put32(t, 0x5F0F3CF5);  // magic
  Put16(t, 0x000B);      // flags: baseline at 0, lsb at x 0, integer scaling
  Put16(t, kUnitsPerEm);
  Put32(t, 0); Put32(t, 0);  // created
  Put32(t, 0); Put32(t, 0);  // modified
  Put16(t, 50); Put16(t, 0); Put16(t, 550); Put16(t, 700);  // bounding box
  Put16(t, bold ? 1 : 0);  // mac style
  Put16(t, 8);             // smallest readable size
  Put16(t, 2);             // direction hint
  Put16(t, 0);             // short loca offsets
  Put16(t, 0);             // glyph data format
  return t;
}

Bytes MakeHhea() {
  Bytes t;
  Put32(t, 0x00010000);
  Put16(t, 800); Put16(t, static_cast<uint16_t>(-200)); Put16(t, 0);  // ascender, descender, gap
  Put16(t, 600);  // advance width max
  Put16(t, 0); Put16(t, 0); Put16(t, 550);  // min lsb, min rsb, x max extent
  Put16(t, 1); Put16(t, 0); Put16(t, 0);  // caret slope rise, run, offset
  for (int i = 0; i < 4; ++i) Put16(t, 0);
  Put16(t, 0);  // metric data format
  Put16(t, 2);  // horizontal metrics
  return t;
}

Bytes MakeMaxp() {
  Bytes t;
  Put32(t, 0x00010000);
  Put16(t, 2);  // glyphs
  Put16(t, 4);  // max points
  Put16(t, 1);  // max contours
  Put16(t, 0); Put16(t, 0);  // composite points, contours
  Put16(t, 2);               // zones
  for (int i = 0; i < 8; ++i) Put16(t, 0);
  return t;
}

Bytes MakeOs2(bool bold) {
  Bytes t;
  Put16(t, 4);              // version
  Put16(t, 450);            // average width
  Put16(t, bold ? 700 : 400);
  Put16(t, 5);              // normal width
  Put16(t, 0);              // installable embedding
  const uint16_t scripts[] = {650, 600, 0, 75, 650, 600, 0, 350, 50, 300};
  for (uint16_t v : scripts) Put16(t, v);
  Put16(t, 0);                               // family class
  for (int i = 0; i < 10; ++i) t.push_back(0);  // panose
  Put32(t, 1); Put32(t, 0); Put32(t, 0); Put32(t, 0);  // unicode ranges: Basic Latin
  PutTag(t, "NONE");
  Put16(t, bold ? 0x20 : 0x40);  // selection: bold or regular
  Put16(t, 0x20); Put16(t, 0x20);  // first and last character
  Put16(t, 800); Put16(t, static_cast<uint16_t>(-200)); Put16(t, 0);
  Put16(t, 800); Put16(t, 200);
  Put32(t, 1); Put32(t, 0);  // code pages: Latin 1
  Put16(t, 500); Put16(t, 700); Put16(t, 0); Put16(t, 0x20); Put16(t, 0);
  return t;
}

Bytes MakeHmtx() {
  Bytes t;
  Put16(t, 600); Put16(t, 50);  // the box
  Put16(t, 300); Put16(t, 0);   // space
  return t;
}

// Glyph 0 is a box (one contour of four points); glyph 1, the space, is
// empty.
Bytes MakeGlyf() {
  Bytes t;
  Put16(t, 1);
  Put16(t, 50); Put16(t, 0); Put16(t, 550); Put16(t, 700);
  Put16(t, 3);  // last point of the contour
  Put16(t, 0);  // no instructions
  for (int i = 0; i < 4; ++i) t.push_back(0x01);  // on curve, 16-bit deltas
  const int16_t xs[] = {50, 0, 500, 0};
  const int16_t ys[] = {0, 700, 0, -700};
  for (int16_t x : xs) Put16(t, static_cast<uint16_t>(x));
  for (int16_t y : ys) Put16(t, static_cast<uint16_t>(y));
  return t;
}

Bytes MakeLoca(size_t glyphBytes) {
  Bytes t;
  Put16(t, 0);
  Put16(t, static_cast<uint32_t>(glyphBytes / 2));
  Put16(t, static_cast<uint32_t>(glyphBytes / 2));
  return t;
}

// Windows Unicode cmap, format 4: the space and the closing segment.
Bytes MakeCmap() {
  Bytes t;
  Put16(t, 0); Put16(t, 1);
  Put16(t, 3); Put16(t, 1); Put32(t, 12);
  Put16(t, 4); Put16(t, 32); Put16(t, 0);
  Put16(t, 4); Put16(t, 4); Put16(t, 1); Put16(t, 0);  // segments x2, search, selector, shift
  Put16(t, 0x20); Put16(t, 0xFFFF);                    // end codes
  Put16(t, 0);
  Put16(t, 0x20); Put16(t, 0xFFFF);                    // start codes
  Put16(t, static_cast<uint16_t>(1 - 0x20)); Put16(t, 1);  // deltas
  Put16(t, 0); Put16(t, 0);                            // range offsets
  return t;
}

Bytes MakeName(const FontSpec& spec) {
  const std::vector<std::pair<uint16_t, std::string>> names = {
      {1, spec.family},
      {2, spec.subfamily},
      {3, spec.postscript + "-generated"},
      {4, spec.family + (spec.subfamily == "Regular" ? "" : " " + spec.subfamily)},
      {5, "Version 1.000"},
      {6, spec.postscript}};
  Bytes strings;
  Bytes t;
  Put16(t, 0);
  Put16(t, static_cast<uint32_t>(names.size()));
  Put16(t, static_cast<uint32_t>(6 + 12 * names.size()));
  for (const auto& [id, text] : names) {
    Bytes encoded = Utf16BigEndian(text);
    Put16(t, 3); Put16(t, 1); Put16(t, 0x0409); Put16(t, id);
    Put16(t, static_cast<uint32_t>(encoded.size()));
    Put16(t, static_cast<uint32_t>(strings.size()));
    strings.insert(strings.end(), encoded.begin(), encoded.end());
  }
  t.insert(t.end(), strings.begin(), strings.end());
  return t;
}

Bytes MakePost() {
  Bytes t;
  Put32(t, 0x00030000);
  Put32(t, 0);
  Put16(t, static_cast<uint16_t>(-100)); Put16(t, 50);
  for (int i = 0; i < 5; ++i) Put32(t, 0);
  return t;
}

Bytes MakeFont(const FontSpec& spec) {
  Bytes glyf = MakeGlyf();
  // In tag order, as the table directory wants them.
  std::vector<std::pair<const char*, Bytes>> tables = {
      {"OS/2", MakeOs2(spec.bold)}, {"cmap", MakeCmap()}, {"glyf", glyf},
      {"head", MakeHead(spec.bold)}, {"hhea", MakeHhea()}, {"hmtx", MakeHmtx()},
      {"loca", MakeLoca(glyf.size())}, {"maxp", MakeMaxp()}, {"name", MakeName(spec)},
      {"post", MakePost()}};
  Bytes font;
  Put32(font, 0x00010000);
  Put16(font, static_cast<uint32_t>(tables.size()));
  Put16(font, 128); Put16(font, 3); Put16(font, static_cast<uint32_t>(tables.size() * 16 - 128));
  size_t offset = 12 + 16 * tables.size();
  size_t headOffset = 0;
  Bytes body;
  for (const auto& [tag, table] : tables) {
    PutTag(font, tag);
    Put32(font, TableChecksum(table));
    Put32(font, static_cast<uint32_t>(offset + body.size()));
    Put32(font, static_cast<uint32_t>(table.size()));
    if (std::string(tag) == "head") headOffset = offset + body.size();
    body.insert(body.end(), table.begin(), table.end());
    while (body.size() % 4 != 0) body.push_back(0);
  }
  font.insert(font.end(), body.begin(), body.end());
  const uint32_t adjustment = 0xB1B0AFBAu - TableChecksum(font);
  for (int i = 0; i < 4; ++i) font[headOffset + 8 + i] = static_cast<uint8_t>(adjustment >> (24 - 8 * i));
  return font;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: font_maker <output.cpp>\n");
    return 2;
  }
  const std::vector<FontSpec> fonts = {
      {138, "Loma", "Regular", "Loma", false},
      {139, "Loma", "Bold", "Loma-Bold", true},
      {142, "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Bold", "Regular",
       "SourceHanSansCN-Bold", true},
      {143, "\xE6\x80\x9D\xE6\xBA\x90\xE9\xBB\x91\xE4\xBD\x93 CN Regular", "Regular",
       "SourceHanSansCN-Regular", false}};
  std::ofstream out(argv[1], std::ios::trunc);
  out << "// Generated by tools/font_maker: the fonts carried in the program.\n"
         "#include \"project/Launcher/services/carried_fonts.h\"\n\nnamespace {\n";
  for (const FontSpec& spec : fonts) {
    Bytes font = MakeFont(spec);
    out << "const unsigned char kFont" << spec.resource << "[] = {";
    for (size_t i = 0; i < font.size(); ++i) {
      out << (i % 16 == 0 ? "\n  " : " ") << static_cast<int>(font[i]) << ",";
    }
    out << "\n};\n";
  }
  out << "}  // namespace\n\nbool FindCarriedFont(int32_t resource, const uint8_t** data, size_t* size) {\n"
         "  switch (resource) {\n";
  for (const FontSpec& spec : fonts) {
    out << "    case " << spec.resource << ":\n      *data = kFont" << spec.resource
        << ";\n      *size = sizeof(kFont" << spec.resource << ");\n      return true;\n";
  }
  out << "    default:\n      return false;\n  }\n}\n";
  return out.good() ? 0 : 1;
}
