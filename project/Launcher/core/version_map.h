#pragma once
// Version maps: a JSON document naming the version of a tree and every file
// in it by relative path, with its MD5 digest and size. The update flow
// compares a local map with a server's to decide what to fetch, patch or
// remove. A map is accepted only when every name is a safe relative path and
// every digest and size is well formed, so nothing a server sends can make
// the launcher write outside the tree or take an empty file as a success.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

struct VersionEntry {
  std::string md5;   // 32 lower-case hexadecimal digits; the version text for "version"
  int64_t size = 0;

  bool operator==(const VersionEntry&) const = default;
};

// Relative path -> entry, ascending by bytes. The key "version" carries the
// map's version (its md5 is the version text), whichever form the file had.
using VersionMap = std::map<std::string, VersionEntry>;

inline constexpr char kVersionKey[] = "version";
// The digest of an empty file: the only digest a size of 0 may come with.
inline constexpr char kEmptyFileMd5[] = "d41d8cd98f00b204e9800998ecf8427e";

// Parses a version-map document. False for an empty text, a syntax error (the
// reader's message in |error|) or a document VersionMapFromJson refuses; the
// map is replaced only on success.
bool ParseVersionMap(const std::string& text, VersionMap* map, std::string* error);

// Fills |map| from the members of "list", or of the object itself when "list"
// is absent or null. Refuses (false, |map| empty) a root that is not an
// object, a "list" that is not an object, an entry that is not an object, a
// name that is not a safe relative path, a digest that is not 32 hexadecimal
// digits, a size that is not an integer from 0 to 2^63-1, a size of 0 with any
// digest but the empty file's, and two names for one path.
bool VersionMapFromJson(const Json::Value& root, VersionMap* map);

// Empties |map|, reads the file and parses it.
bool LoadVersionMapFile(const std::string& path, VersionMap* map, std::string* error);

// True when |text| is not empty and parses with the default JSON reader.
bool IsValidJson(const char* text, size_t length, std::string* error);

// The map's version; empty when it has none.
std::string GetVersionMapVersion(const VersionMap& map);

// |changed| := entries of |remote| that |local| lacks or holds with another
// digest (all of |remote| when |local| is empty), without "version"; names
// of |local| that |remote| lacks are appended to |removed| in key order
// ("version" is not a file and never among them). |local| is consumed.
void DiffVersionMaps(VersionMap* local, const VersionMap& remote, VersionMap* changed,
                     std::vector<std::string>* removed);

// |version| := the "version" of the map file at |path|: a string, or the
// "md5" text of an object (empty when it has none); |defaultVersion| when the
// file cannot be read or parsed or its "version" is neither.
void ReadVersionFromFile(const std::string& path, std::string* version,
                         const std::string& defaultVersion);

// The display form of a game version a_b_c; other texts unchanged.
std::string FormatDisplayVersion(const std::string& version);

// Rewrites every "\" of a map name as "/".
std::string NormalizeMapPath(std::string_view path);

// A game version as three decimal numbers joined by "_", each made of digits
// only and within 32 bits: the only versions that may name a folder or a
// part of a URL. |rank| receives the numbers in order of rank (first, third,
// second): the third part ranks above the second.
struct VersionTriple {
  int32_t first = 0;
  int32_t third = 0;
  int32_t second = 0;
  auto operator<=>(const VersionTriple&) const = default;
};
bool ParseStrictVersionTriple(std::string_view version, VersionTriple* rank);
bool IsStrictVersionTriple(std::string_view version);

// Whether the pre-download |preDownload| applies to the installed game
// |local| given the servers' |remote| version: 1 yes; 0 none offered; -1 no
// installed game; -2, -3, -4 a version that is not a triple (pre-download,
// local, remote); -5 the game must be updated first; -6 the game is already
// there; -7 the pre-download is outdated.
int ComparePreDownloadVersion(const std::string& preDownload, const std::string& local,
                              const std::string& remote);
