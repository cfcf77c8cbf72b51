#pragma once
// How the store reads and writes its JSON files: the common writing style
// (tab indentation, members in ascending key order, non-ASCII characters as
// "\u" escapes, no byte-order mark), and replacement of a file through a
// temporary file renamed over it, so a crash mid-write never leaves a torn
// settings file, version map or list behind.

#include <string>

#include <json/value.h>

// The common writing style.
std::string ToStoreJsonText(const Json::Value& value);

// Writes |bytes| to "<path>.tmp", flushes it to disk and renames it over
// |path|. False (and |path| untouched) when any step fails.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

// ToStoreJsonText of |value| through ReplaceFileContents.
bool ReplaceJsonFile(const std::string& path, const Json::Value& value);

// The largest file the store reads whole; its files are small, and a larger
// one is refused rather than read into memory.
inline constexpr size_t kMaxStoreFileBytes = 64u << 20;

// Reads the whole file, at most kMaxStoreFileBytes; false when it cannot be
// opened or is larger.
bool ReadStoreFile(const std::string& path, std::string* bytes);

// Parses |text| with the JSON library's default reader; false for an empty
// text or a syntax error (its message in |error| when given).
bool ParseStoreJson(const std::string& text, Json::Value* root, std::string* error);
